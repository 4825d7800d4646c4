// LZH containers of any content: the decoder accepts every bit sequence, so a run either
// restores exactly the recorded size or reports the size mismatch; it never strays outside
// its buffers. The raw engine is driven too, through lzhDecode.
#include "compress/lzh.h"
#include "compress_fuzz_helpers.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    std::vector<std::uint8_t> restored;
    const auto container = bv3::compress::fuzz::withHeader(bv3::compress::lzhMagic, input);
    if (bv3::compress::fuzz::decompressContainer(container, restored)) {
        const std::size_t recorded = container[4] | (container[5] << 8) | (container[6] << 16);
        if (restored.size() != recorded) {
            std::abort();
        }
    }
    if (bv3::compress::lzhDecode(input, size * 4).size() != size * 4) {
        std::abort();
    }
    return 0;
}
