// The channel list checks on any text: the reader, the line scan and every check. The model
// code comes from the text's length, so every input reaches a layout.
#include "channeldb/qnf_check.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace bv3::channeldb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto model = static_cast<std::uint8_t>(size % 6);
    const CheckReport report = checkChannelListText(text, model, "fuzz.qnf");
    // The line scan must agree with the reader: a finding's line lies inside the text.
    for (const Finding& finding : report.findings) {
        if (finding.line && *finding.line > size + 1) {
            std::abort();
        }
    }
    return 0;
}
