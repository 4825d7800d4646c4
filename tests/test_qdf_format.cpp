// The download image format: what is written reads back, and every kind of damage is refused.
#include "big_endian.h"
#include "crc32.h"
#include "qdf_reader.h"
#include "qdf_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace {

using namespace bv3::qdf;

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>((state >> 16) % 7 == 0 ? state >> 8 : 0x20 + seed);
    }
    return bytes;
}

const ImageHeader sampleHeader{.firstId = 0x12345000u, .lastId = 0x12345FFFu, .loaderVersion = 3};

std::vector<BlockInput> sampleBlocks() {
    return {
        {.address = 0, .type = BlockType::flash, .encoding = BlockEncoding::lzh, .data = pattern(8192, 1)},
        {.address = 0x2000, .type = BlockType::flash, .encoding = BlockEncoding::stored, .data = pattern(300, 2)},
        {.address = 0xB0000, .type = BlockType::eeprom, .encoding = BlockEncoding::lzh, .data = {}},
        {.address = 0xFFFFFFF0u, .type = BlockType::flash, .encoding = BlockEncoding::lzh, .data = pattern(16, 3)},
    };
}

TEST(Crc32, MatchesTheCheckValueAndContinues) {
    const std::string text = "123456789";
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    EXPECT_EQ(crc32(bytes), 0xCBF43926u);
    EXPECT_EQ(crc32(bytes.subspan(4), crc32(bytes.first(4))), 0xCBF43926u);
    EXPECT_EQ(crc32({}), 0u);
}

TEST(QdfImage, RoundTripsHeaderAndEveryBlock) {
    const auto blocks = sampleBlocks();
    const auto image = writeQdfImage(sampleHeader, blocks);
    const ImageReport report = decodeQdfImage(image);
    EXPECT_EQ(report.header, sampleHeader);
    EXPECT_EQ(report.imageLength, image.size());
    EXPECT_TRUE(report.intact());
    ASSERT_EQ(report.blocks.size(), blocks.size());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(report.blocks[i].address, blocks[i].address);
        EXPECT_EQ(report.blocks[i].type, blocks[i].type);
        EXPECT_EQ(report.blocks[i].encoding, blocks[i].encoding);
        EXPECT_EQ(report.blocks[i].originalLength, blocks[i].data.size());
        EXPECT_EQ(report.blocks[i].data, blocks[i].data);
        EXPECT_EQ(report.blocks[i].crc, crc32(blocks[i].data));
    }
    EXPECT_EQ(report.blocks[1].storedLength, 300u);
}

TEST(QdfImage, AnImageWithoutBlocksIsValid) {
    const auto image = writeQdfImage(sampleHeader, {});
    EXPECT_EQ(image.size(), headerSize + trailerSize);
    EXPECT_TRUE(decodeQdfImage(image).blocks.empty());
}

TEST(QdfImage, TheWriterRefusesWhatTheFormatCannotCarry) {
    std::vector<BlockInput> tooLong{{.data = std::vector<std::uint8_t>(maxBlockLength + 1)}};
    EXPECT_THROW(writeQdfImage(sampleHeader, tooLong), std::invalid_argument);
    std::vector<BlockInput> pastTheTop{{.address = 0xFFFFFFFFu, .data = {1, 2}}};
    EXPECT_THROW(writeQdfImage(sampleHeader, pastTheTop), std::invalid_argument);
    std::vector<BlockInput> tooMany(maxBlockCount + 1);
    EXPECT_THROW(writeQdfImage(sampleHeader, tooMany), std::invalid_argument);
}

// Offsets into the sample image: header, then block 0's descriptor.
constexpr std::size_t block0 = headerSize;

void setU32(std::vector<std::uint8_t>& image, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        image[offset + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

// Damage that a deliberate edit could make: the image checksum is put right afterwards, so
// only the check the case is about can catch it.
void resealChecksum(std::vector<std::uint8_t>& image) {
    const std::size_t end = image.size() - trailerSize;
    setU32(image, end, crc32(std::span<const std::uint8_t>(image).first(end)));
}

struct DamageCase {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    const char* message;  // a part of QdfFormatError's text
};

void PrintTo(const DamageCase& c, std::ostream* os) {
    *os << c.name;
}

class QdfDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(QdfDamage, IsRefusedWithAClearError) {
    auto image = writeQdfImage(sampleHeader, sampleBlocks());
    GetParam().damage(image);
    try {
        decodeQdfImage(image);
        FAIL() << "a damaged image was accepted";
    } catch (const QdfFormatError& failure) {
        EXPECT_NE(std::string(failure.what()).find(GetParam().message), std::string::npos) << failure.what();
    }
}

std::string damageName(const testing::TestParamInfo<DamageCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, QdfDamage,
    testing::Values(DamageCase{"Empty", [](auto& image) { image.clear(); }, "shorter than"},
                    DamageCase{"Truncated", [](auto& image) { image.resize(image.size() - 1); }, "(truncated)"},
                    DamageCase{"TrailingByte", [](auto& image) { image.push_back(0); }, "but the file holds"},
                    DamageCase{"Magic", [](auto& image) { image[0] = 'X'; }, "does not begin with \"BQDF\""},
                    DamageCase{"FormatVersion", [](auto& image) { image[5] = 2; }, "format version 2"},
                    DamageCase{"AnyByteFlipped", [](auto& image) { image[block0 + blockDescriptorSize + 5] ^= 0x01; },
                               "image checksum"},
                    DamageCase{"ChecksumItself", [](auto& image) { image.back() ^= 0x80; }, "image checksum"},
                    DamageCase{"BlockType",
                               [](auto& image) {
                                   image[block0 + 4] = 9;
                                   resealChecksum(image);
                               },
                               "unknown block type 9"},
                    DamageCase{"BlockEncoding",
                               [](auto& image) {
                                   image[block0 + 5] = 7;
                                   resealChecksum(image);
                               },
                               "unknown block encoding 7"},
                    DamageCase{"ReservedBytes",
                               [](auto& image) {
                                   image[block0 + 7] = 1;
                                   resealChecksum(image);
                               },
                               "reserved bytes"},
                    DamageCase{"StoredLengthPastTheEnd",
                               [](auto& image) {
                                   setU32(image, block0 + 12, 0x7FFFFFFFu);
                                   resealChecksum(image);
                               },
                               "run past the end"},
                    DamageCase{"OriginalLengthHuge",
                               [](auto& image) {
                                   setU32(image, block0 + 8, 0xFFFFFFF0u);
                                   resealChecksum(image);
                               },
                               "exceeds the limit"},
                    DamageCase{"StoredBlockLengthsDisagree",
                               [](auto& image) {
                                   const std::size_t block1 =
                                       block0 + blockDescriptorSize + bv3::qdf::detail::getU32(image, block0 + 12);
                                   setU32(image, block1 + 8, 299);
                                   resealChecksum(image);
                               },
                               "stored length differs"},
                    DamageCase{"BlockCountTooHigh",
                               [](auto& image) {
                                   image[7] += 1;
                                   resealChecksum(image);
                               },
                               "runs past the end of the blocks"},
                    DamageCase{"BlockCountTooLow",
                               [](auto& image) {
                                   image[7] -= 1;
                                   resealChecksum(image);
                               },
                               "follow the last of the 3 blocks"},
                    DamageCase{"BlockBytesChanged",
                               [](auto& image) {
                                   image[block0 + blockDescriptorSize + 3] ^= 0x10;
                                   resealChecksum(image);
                               },
                               "block 0 (address $00000000) is"},
                    DamageCase{"BlockCrcChanged",
                               [](auto& image) {
                                   image[block0 + 19] ^= 0x01;
                                   resealChecksum(image);
                               },
                               "is CRC mismatch"},
                    DamageCase{"AddressWraps",
                               [](auto& image) {
                                   setU32(image, block0, 0xFFFFF000u);
                                   resealChecksum(image);
                               },
                               "past the end of the address space"}),
    damageName);

// inspect tells which block is damaged and still lists the others.
TEST(QdfImage, InspectionNamesTheDamagedBlockAndKeepsTheRest) {
    auto image = writeQdfImage(sampleHeader, sampleBlocks());
    const std::size_t block1 = block0 + blockDescriptorSize + bv3::qdf::detail::getU32(image, block0 + 12);
    image[block1 + blockDescriptorSize + 10] ^= 0xFF;  // a stored byte of block 1

    const ImageReport report = inspectQdfImage(image);
    EXPECT_FALSE(report.imageChecksumOk);
    EXPECT_FALSE(report.intact());
    ASSERT_EQ(report.blocks.size(), 4u);
    EXPECT_EQ(report.blocks[0].state, BlockState::intact);
    EXPECT_EQ(report.blocks[1].state, BlockState::checksumMismatch);
    EXPECT_TRUE(report.blocks[1].data.empty());
    EXPECT_EQ(report.blocks[3].state, BlockState::intact);
}

}  // namespace
