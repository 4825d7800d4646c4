#include "qdfbuild/loader_config_writer.h"

#include <cstdio>
#include <string_view>

namespace bv3::qdfbuild {

namespace {

constexpr std::string_view lineEnd = "\r\n";

std::string hex8(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::string fileLine(const std::string& name) {
    return "\tFILE\t\t=\t\"" + name + "\"";
}

// Models 0, 2, 3 and 5 keep their service area at $b0000; every other code, known or not,
// gets the $a0000 line the loader has always been given for them.
std::string serviceAddressLine(std::uint8_t modelCode) {
    switch (modelCode) {
        case 0:
        case 2:
        case 3:
        case 5:
            return "\tADDRESS\t=\t$b0000";
        default:
            return "\tADDRESS\t\t=   $a0000";
    }
}

}  // namespace

std::string formatLoaderConfig(std::uint32_t headerId, std::uint8_t modelCode, const std::string& configImage,
                               const std::string& serviceImage) {
    const std::string lines[] = {
        "[header",
        "\tID\t\t\t=\t$" + hex8(headerId & 0xFFFFF000u),
        "\tE_ID\t\t=\t$" + hex8(headerId | 0x00000FFFu),
        "\tver\t\t\t=\t3",
        "]",
        "[Data",
        fileLine(configImage),
        "\tTYPE\t\t=\tflash",
        "\tCOMPRESSION\t=\tyes",
        "\tADDRESS\t\t=   0",
        "]",
        "[Data",
        fileLine(configImage),
        "\tTYPE\t\t=\tflash",
        "\tCOMPRESSION\t=\tyes",
        "\tADDRESS\t\t=\t$2000",
        "]",
        "[Data",
        fileLine(serviceImage),
        "\tTYPE\t\t=\tflash",
        "\tCOMPRESSION\t=\tyes",
        serviceAddressLine(modelCode),
        "]",
    };
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += lineEnd;
    }
    return text;
}

}  // namespace bv3::qdfbuild
