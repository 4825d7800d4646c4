#pragma once
// Lays out a download image from its header and blocks.

#include "qdf_format.h"

#include <cstdint>
#include <span>
#include <vector>

namespace bv3::qdf {

// Returns the whole image: header, every block (compressed with the LZH engine where its
// encoding asks for it) in the order given, and the image checksum. Throws
// std::invalid_argument for a block longer than maxBlockLength, a block that would run past
// the end of the 32-bit address space, or more than maxBlockCount blocks.
std::vector<std::uint8_t> writeQdfImage(const ImageHeader& header, std::span<const BlockInput> blocks);

}  // namespace bv3::qdf
