// The download image reader over arbitrary bytes: it must refuse or report damage without
// reading outside the input, and whatever it calls intact must decode again the same way.
#include "qdf_reader.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> image(data, size);
    try {
        const bv3::qdf::ImageReport report = bv3::qdf::inspectQdfImage(image);
        for (const auto& block : report.blocks) {
            if (block.state == bv3::qdf::BlockState::intact && block.data.size() != block.originalLength) {
                std::abort();
            }
        }
        if (report.intact() && bv3::qdf::decodeQdfImage(image).blocks.size() != report.blocks.size()) {
            std::abort();
        }
    } catch (const bv3::qdf::QdfFormatError&) {
        // A refused image is the expected outcome for almost every input.
    }
    return 0;
}
