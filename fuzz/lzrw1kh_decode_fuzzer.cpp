// LZRW1/KH containers of any content, through the component in stream mode: damaged blocks
// are refused with the component's exception and never read or write outside a buffer.
#include "compress/lzrw1kh.h"
#include "compress_fuzz_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    std::vector<std::uint8_t> restored;
    bv3::compress::fuzz::decompressContainer(bv3::compress::fuzz::withHeader(bv3::compress::lzrw1khMagic, input),
                                             restored);
    // The raw input as a whole container too, so the header checks are reached as well.
    bv3::compress::fuzz::decompressContainer(input, restored);
    // And as one block, straight into the engine with an exactly sized destination.
    bv3::compress::TLZR engine;
    std::vector<std::uint8_t> block(bv3::compress::TLZR::maxBlockInput);
    try {
        engine.DecompressBlock(input, block);
    } catch (const bv3::compress::ELzrw1Exception&) {
    }
    return 0;
}
