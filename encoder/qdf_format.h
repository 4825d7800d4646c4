#pragma once
// The download image ("QDF") that the stand-in encoder writes and the receiver simulator
// applies. docs/qdf-format.md is the full description; this header holds its constants and
// the values a reader gets back. Every integer in the image is big-endian, like the
// receiver's own memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bv3::qdf {

inline constexpr std::uint8_t imageMagic[4] = {'B', 'Q', 'D', 'F'};
inline constexpr std::uint16_t formatVersion = 1;
inline constexpr std::size_t headerSize = 24;
inline constexpr std::size_t blockDescriptorSize = 20;
inline constexpr std::size_t trailerSize = 4;
// No receiver has more flash than this; a larger block can only come from a damaged image,
// and refusing it keeps a reader from allocating whatever a damaged length asks for.
inline constexpr std::uint32_t maxBlockLength = 4u * 1024u * 1024u;
// The same bound for all blocks together, so that many small descriptors cannot ask a reader
// to decode gigabytes either.
inline constexpr std::uint64_t maxImageContent = 16u * 1024u * 1024u;
// The block count field is 16 bits wide.
inline constexpr std::size_t maxBlockCount = 0xFFFF;
// The largest file an image can be: the header, every descriptor, the blocks' stored bytes
// (an LZH block may store a little more than it restores: an eighth is allowed, far more
// than the coder's worst case) and the trailer. A reader refuses a larger file unread.
inline constexpr std::uint64_t maxImageFileSize =
    headerSize + maxBlockCount * blockDescriptorSize + maxImageContent + maxImageContent / 8 + trailerSize;

// Where a block goes in the receiver. The values are the bytes stored in the image.
enum class BlockType : std::uint8_t { flash = 1, eeprom = 2 };

// How a block's bytes are stored. The values are the bytes stored in the image.
enum class BlockEncoding : std::uint8_t { stored = 0, lzh = 1 };

// The [header] of the loader configuration: the block of receiver identifiers the image is
// meant for (first and last, inclusive) and the loader's version number.
struct ImageHeader {
    std::uint32_t firstId = 0;
    std::uint32_t lastId = 0;
    std::uint32_t loaderVersion = 0;
    bool operator==(const ImageHeader&) const = default;
};

// One block as the encoder is given it.
struct BlockInput {
    std::uint32_t address = 0;
    BlockType type = BlockType::flash;
    BlockEncoding encoding = BlockEncoding::stored;
    std::vector<std::uint8_t> data;
};

std::string blockTypeName(BlockType type);
std::string blockEncodingName(BlockEncoding encoding);

}  // namespace bv3::qdf
