#include "qdf_writer.h"

#include "big_endian.h"
#include "compress/lzh.h"
#include "crc32.h"

#include <stdexcept>
#include <string>

namespace bv3::qdf {

using detail::putU16;
using detail::putU32;
using detail::putU8;

namespace {

void checkBlock(const BlockInput& block, std::size_t index) {
    if (block.data.size() > maxBlockLength) {
        throw std::invalid_argument("block " + std::to_string(index) + " holds " + std::to_string(block.data.size()) +
                                    " bytes, more than the " + std::to_string(maxBlockLength) +
                                    " a download image can carry");
    }
    if (block.address + static_cast<std::uint64_t>(block.data.size()) > 0x100000000ull) {
        throw std::invalid_argument("block " + std::to_string(index) + " runs past the end of the address space");
    }
}

void appendBlock(std::vector<std::uint8_t>& image, const BlockInput& block) {
    std::vector<std::uint8_t> compressed;
    std::span<const std::uint8_t> stored(block.data);
    if (block.encoding == BlockEncoding::lzh) {
        compressed = compress::lzhEncode(block.data);
        stored = compressed;
    }
    putU32(image, block.address);
    putU8(image, static_cast<std::uint8_t>(block.type));
    putU8(image, static_cast<std::uint8_t>(block.encoding));
    putU16(image, 0);
    putU32(image, static_cast<std::uint32_t>(block.data.size()));
    putU32(image, static_cast<std::uint32_t>(stored.size()));
    putU32(image, crc32(block.data));
    image.insert(image.end(), stored.begin(), stored.end());
}

}  // namespace

std::vector<std::uint8_t> writeQdfImage(const ImageHeader& header, std::span<const BlockInput> blocks) {
    if (blocks.size() > maxBlockCount) {
        throw std::invalid_argument("a download image holds at most " + std::to_string(maxBlockCount) + " blocks");
    }
    std::uint64_t content = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        checkBlock(blocks[i], i);
        content += blocks[i].data.size();
    }
    if (content > maxImageContent) {
        throw std::invalid_argument("the blocks together hold more than the " + std::to_string(maxImageContent) +
                                    " bytes a download image can carry");
    }
    std::vector<std::uint8_t> image(std::begin(imageMagic), std::end(imageMagic));
    putU16(image, formatVersion);
    putU16(image, static_cast<std::uint16_t>(blocks.size()));
    putU32(image, header.firstId);
    putU32(image, header.lastId);
    putU32(image, header.loaderVersion);
    const std::size_t lengthOffset = image.size();
    putU32(image, 0);  // the image length, filled in once known
    for (const auto& block : blocks) {
        appendBlock(image, block);
    }
    const std::uint64_t length = image.size() + trailerSize;
    if (length > 0xFFFFFFFFull) {
        throw std::invalid_argument("the download image would exceed 4 GiB");
    }
    for (std::size_t i = 0; i < 4; ++i) {
        image[lengthOffset + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    }
    putU32(image, crc32(image));
    return image;
}

}  // namespace bv3::qdf
