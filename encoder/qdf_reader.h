#pragma once
// Reads a download image back. inspectQdfImage() tells what is in an image and which parts
// are damaged; decodeQdfImage() hands out the blocks' bytes only when nothing is.
// Neither reads outside the given bytes nor allocates more than maxBlockLength per block,
// whatever the image holds.

#include "qdf_format.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace bv3::qdf {

// The image cannot be read: its message says what is wrong and where (byte offset).
class QdfFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class BlockState {
    intact,            // the bytes decode and match the stored CRC
    checksumMismatch,  // the bytes decode but their CRC differs
    undecodable,       // the LZH code stream could not be decoded
};

std::string blockStateName(BlockState state);

struct BlockReport {
    std::size_t offset = 0;  // of the descriptor in the image
    std::uint32_t address = 0;
    BlockType type = BlockType::flash;
    BlockEncoding encoding = BlockEncoding::stored;
    std::uint32_t originalLength = 0;
    std::uint32_t storedLength = 0;
    std::uint32_t crc = 0;
    BlockState state = BlockState::intact;
    std::vector<std::uint8_t> data;  // decoded bytes (empty unless state is intact)
};

struct ImageReport {
    ImageHeader header;
    std::uint32_t imageLength = 0;
    bool imageChecksumOk = false;
    std::vector<BlockReport> blocks;

    // True when the image checksum and every block are intact.
    [[nodiscard]] bool intact() const;
};

// Walks the whole image. Throws QdfFormatError when its structure cannot be followed (too
// short, wrong identification or version, a length that disagrees with the file or runs past
// it, an unknown type or encoding, non-zero reserved bytes); damage that leaves the structure
// readable is reported in imageChecksumOk and each block's state.
ImageReport inspectQdfImage(std::span<const std::uint8_t> image);

// Like inspectQdfImage(), and also throws QdfFormatError when the image checksum or any
// block is damaged, naming the first fault. On return every block is intact.
ImageReport decodeQdfImage(std::span<const std::uint8_t> image);

}  // namespace bv3::qdf
