// Whatever goes in comes back out, in both modes, and the fast blocks never grow by more than
// their flag byte.
#include "compress_fuzz_helpers.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    for (const auto mode : {bv3::compress::TCompressMode::Good, bv3::compress::TCompressMode::Fast}) {
        const auto container = bv3::compress::fuzz::compressBytes(input, mode);
        std::vector<std::uint8_t> restored;
        if (!bv3::compress::fuzz::decompressContainer(container, restored) ||
            !std::equal(restored.begin(), restored.end(), input.begin(), input.end())) {
            std::abort();
        }
        if (mode == bv3::compress::TCompressMode::Fast) {
            const std::size_t blocks = size / 32768 + 1;
            if (container.size() > 8 + size + 3 * blocks) {
                std::abort();
            }
        }
    }
    return 0;
}
