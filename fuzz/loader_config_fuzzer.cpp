// The encoder's loader configuration parser over arbitrary text: refuse or parse, nothing else.
#include "loader_config.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        bv3::qdf::parseLoaderConfig(text, "qorda.cfg");
    } catch (const bv3::qdf::LoaderConfigError&) {
        // Refusing is fine; anything else escaping is a fault the fuzzer reports.
    }
    return 0;
}
