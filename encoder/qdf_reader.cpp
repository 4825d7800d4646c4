#include "qdf_reader.h"

#include "big_endian.h"
#include "compress/lzh.h"
#include "crc32.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace bv3::qdf {

using detail::getU16;
using detail::getU32;

namespace {

std::string hex32(std::uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "$%08X", value);
    return text;
}

[[noreturn]] void fail(std::size_t offset, const std::string& reason) {
    throw QdfFormatError("damaged download image at byte " + std::to_string(offset) + ": " + reason);
}

ImageHeader readHeader(std::span<const std::uint8_t> image, ImageReport& report) {
    if (image.size() < headerSize + trailerSize) {
        throw QdfFormatError("not a download image: " + std::to_string(image.size()) + " bytes is shorter than the " +
                             std::to_string(headerSize + trailerSize) + " of an empty one");
    }
    if (!std::equal(std::begin(imageMagic), std::end(imageMagic), image.begin())) {
        throw QdfFormatError("not a download image: it does not begin with \"BQDF\"");
    }
    const std::uint16_t version = getU16(image, 4);
    if (version != formatVersion) {
        fail(4, "format version " + std::to_string(version) + " is not the supported version " +
                    std::to_string(formatVersion));
    }
    report.imageLength = getU32(image, 20);
    if (report.imageLength != image.size()) {
        fail(20, "the header gives a length of " + std::to_string(report.imageLength) + " bytes but the file holds " +
                     std::to_string(image.size()) + (report.imageLength > image.size() ? " (truncated)" : ""));
    }
    const std::size_t checked = image.size() - trailerSize;
    report.imageChecksumOk = crc32(image.first(checked)) == getU32(image, checked);
    return ImageHeader{.firstId = getU32(image, 8), .lastId = getU32(image, 12), .loaderVersion = getU32(image, 16)};
}

BlockReport readDescriptor(std::span<const std::uint8_t> image, std::size_t offset, std::size_t end) {
    if (end - offset < blockDescriptorSize) {
        fail(offset, "a block descriptor runs past the end of the blocks");
    }
    BlockReport block;
    block.offset = offset;
    block.address = getU32(image, offset);
    const std::uint8_t type = image[offset + 4];
    const std::uint8_t encoding = image[offset + 5];
    if (type != static_cast<std::uint8_t>(BlockType::flash) && type != static_cast<std::uint8_t>(BlockType::eeprom)) {
        fail(offset + 4, "unknown block type " + std::to_string(type));
    }
    if (encoding != static_cast<std::uint8_t>(BlockEncoding::stored) &&
        encoding != static_cast<std::uint8_t>(BlockEncoding::lzh)) {
        fail(offset + 5, "unknown block encoding " + std::to_string(encoding));
    }
    if (getU16(image, offset + 6) != 0) {
        fail(offset + 6, "reserved bytes are not zero");
    }
    block.type = static_cast<BlockType>(type);
    block.encoding = static_cast<BlockEncoding>(encoding);
    block.originalLength = getU32(image, offset + 8);
    block.storedLength = getU32(image, offset + 12);
    block.crc = getU32(image, offset + 16);
    if (block.originalLength > maxBlockLength) {
        fail(offset + 8, "a block length of " + std::to_string(block.originalLength) + " bytes exceeds the limit of " +
                             std::to_string(maxBlockLength));
    }
    if (block.address + static_cast<std::uint64_t>(block.originalLength) > 0x100000000ull) {
        fail(offset, "the block at " + hex32(block.address) + " runs past the end of the address space");
    }
    if (block.encoding == BlockEncoding::stored && block.storedLength != block.originalLength) {
        fail(offset + 12, "a stored block's stored length differs from its original length");
    }
    if (block.storedLength > end - offset - blockDescriptorSize) {
        fail(offset + 12,
             "the block's " + std::to_string(block.storedLength) + " bytes run past the end of the blocks");
    }
    return block;
}

void decodeBlock(std::span<const std::uint8_t> stored, BlockReport& block) {
    try {
        block.data = block.encoding == BlockEncoding::lzh ? compress::lzhDecode(stored, block.originalLength)
                                                          : std::vector<std::uint8_t>(stored.begin(), stored.end());
    } catch (const std::exception&) {
        block.state = BlockState::undecodable;
        return;
    }
    if (block.data.size() != block.originalLength) {
        block.state = BlockState::undecodable;
    } else if (crc32(block.data) != block.crc) {
        block.state = BlockState::checksumMismatch;
    }
    if (block.state != BlockState::intact) {
        block.data.clear();
    }
}

}  // namespace

std::string blockStateName(BlockState state) {
    switch (state) {
        case BlockState::intact:
            return "ok";
        case BlockState::checksumMismatch:
            return "CRC mismatch";
        case BlockState::undecodable:
            return "undecodable";
    }
    return "unknown";
}

bool ImageReport::intact() const {
    return imageChecksumOk &&
           std::all_of(blocks.begin(), blocks.end(), [](const auto& b) { return b.state == BlockState::intact; });
}

ImageReport inspectQdfImage(std::span<const std::uint8_t> image) {
    ImageReport report;
    report.header = readHeader(image, report);
    const std::size_t count = getU16(image, 6);
    const std::size_t end = image.size() - trailerSize;
    std::size_t offset = headerSize;
    std::uint64_t content = 0;
    for (std::size_t i = 0; i < count; ++i) {
        BlockReport block = readDescriptor(image, offset, end);
        content += block.originalLength;
        if (content > maxImageContent) {
            fail(offset + 8, "the blocks together exceed the limit of " + std::to_string(maxImageContent) + " bytes");
        }
        offset += blockDescriptorSize;
        decodeBlock(image.subspan(offset, block.storedLength), block);
        offset += block.storedLength;
        report.blocks.push_back(std::move(block));
    }
    if (offset != end) {
        fail(offset,
             std::to_string(end - offset) + " bytes follow the last of the " + std::to_string(count) + " blocks");
    }
    return report;
}

ImageReport decodeQdfImage(std::span<const std::uint8_t> image) {
    ImageReport report = inspectQdfImage(image);
    if (!report.imageChecksumOk) {
        fail(image.size() - trailerSize, "the image checksum does not match its contents");
    }
    for (std::size_t i = 0; i < report.blocks.size(); ++i) {
        const BlockReport& block = report.blocks[i];
        if (block.state != BlockState::intact) {
            fail(block.offset, "block " + std::to_string(i) + " (address " + hex32(block.address) + ") is " +
                                   blockStateName(block.state));
        }
    }
    return report;
}

}  // namespace bv3::qdf
