// TLZR, the LZRW1/KH block engine: exact block bytes, round trips, and damaged blocks.
#include "compress/compress_error.h"
#include "compress/lzrw1kh.h"
#include "compress_test_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bv3::compress {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes compressBlock(TLZR& engine, const Bytes& input) {
    Bytes destination(input.size() + TLZR::compressSlack, 0xEE);
    const std::uint16_t length = engine.CompressBlock(input, destination);
    destination.resize(length);
    return destination;
}

Bytes decompressBlock(TLZR& engine, const Bytes& block) {
    Bytes destination(TLZR::maxBlockInput);
    destination.resize(engine.DecompressBlock(block, destination));
    return destination;
}

struct BlockCase {
    const char* name;
    Bytes input;
    Bytes block;
};

class LzrBlockBytes : public testing::TestWithParam<BlockCase> {};

TEST_P(LzrBlockBytes, CompressesToTheseExactBytesAndBack) {
    TLZR engine;
    const BlockCase& c = GetParam();
    EXPECT_EQ(compressBlock(engine, c.input), c.block);
    EXPECT_EQ(decompressBlock(engine, c.block), c.input);
}

const std::uint8_t B = 0x5A;

INSTANTIATE_TEST_SUITE_P(
    Vectors, LzrBlockBytes,
    testing::Values(BlockCase{"empty", {}, {0x80}}, BlockCase{"one_byte", {0x11}, {0x80, 0x11}},
                    BlockCase{"three_bytes", {1, 2, 3}, {0x80, 1, 2, 3}},
                    BlockCase{"three_equal", {B, B, B}, {0x80, B, B, B}},
                    BlockCase{"sixteen_equal", Bytes(16, B), {0x40, 0x80, 0x00, 0x00, 0x00, 0x00, B}},
                    BlockCase{"fifteen_equal", Bytes(15, B), {0x40, 0x40, 0x00, B, 0x00, 0x1B}},
                    BlockCase{"run_4095", Bytes(4095, B), {0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, B}},
                    BlockCase{"run_4096", Bytes(4096, B), {0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, B, B}}),
    [](const testing::TestParamInfo<BlockCase>& info) { return std::string(info.param.name); });

TEST(LzrBlock, ControlWordsFollowEverySixteenItems) {
    // 20 distinct bytes then their repeat: 20 literals, a copy of 18 bytes, 2 literals. The
    // second control word sits in front of item 17 and says: 4 literals, a copy, 2 literals.
    Bytes input;
    for (int i = 0; i < 20; ++i) {
        input.push_back(static_cast<std::uint8_t>('a' + i));
    }
    input.insert(input.end(), input.begin(), input.end());
    TLZR engine;
    const Bytes block = compressBlock(engine, input);
    ASSERT_EQ(block.size(), 29u);
    EXPECT_EQ(block[1], 0x00);
    EXPECT_EQ(block[2], 0x00);
    EXPECT_EQ(block[3 + 16], 0x08);
    EXPECT_EQ(block[3 + 17], 0x00);
    EXPECT_EQ(block[3 + 18 + 4], 20 * 16 >> 8);  // the copy: distance 20, length 18
    EXPECT_EQ(block[3 + 18 + 5], (20 * 16 + 15) & 0xFF);
    EXPECT_EQ(decompressBlock(engine, block), input);
}

TEST(LzrBlock, RandomDataIsStoredAndOneLongerThanItsInput) {
    TLZR engine;
    const Bytes input = testdata::randomBytes(TLZR::maxBlockInput, 1);
    const Bytes block = compressBlock(engine, input);
    ASSERT_EQ(block.size(), input.size() + 1);
    EXPECT_EQ(block[0], 0x80);
    EXPECT_EQ(decompressBlock(engine, block), input);
}

TEST(LzrBlock, SameDataCompressesTheSameWhateverCameBefore) {
    TLZR engine;
    const Bytes text = testdata::channelText(8000);
    const Bytes first = compressBlock(engine, text);
    compressBlock(engine, testdata::channelText(30000, 99));
    EXPECT_EQ(compressBlock(engine, text), first);
}

TEST(LzrBlock, RoundTripsVariedInputs) {
    TLZR engine;
    std::vector<Bytes> inputs = {testdata::channelText(TLZR::maxBlockInput), testdata::channelText(1234, 3),
                                 Bytes(TLZR::maxBlockInput, 0), testdata::randomBytes(100, 4)};
    Bytes mixed = testdata::channelText(5000, 5);
    mixed.insert(mixed.end(), 5000, 'x');
    const Bytes noise = testdata::randomBytes(3000, 6);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    mixed.insert(mixed.end(), 17, 'y');
    inputs.push_back(mixed);
    // Period-2 and period-3 patterns exercise overlapping copies.
    Bytes pattern;
    for (int i = 0; i < 9000; ++i) {
        pattern.push_back(static_cast<std::uint8_t>(i % 3 == 0 ? 'a' : (i % 2 ? 'b' : 'c')));
    }
    inputs.push_back(pattern);
    for (const Bytes& input : inputs) {
        const Bytes block = compressBlock(engine, input);
        EXPECT_LE(block.size(), input.size() + 1);
        EXPECT_EQ(decompressBlock(engine, block), input);
    }
}

TEST(LzrBlock, CompressRefusesADestinationWithoutRoom) {
    TLZR engine;
    const Bytes input(100, 1);
    Bytes destination(100 + TLZR::compressSlack - 1);
    EXPECT_THROW(engine.CompressBlock(input, destination), std::invalid_argument);
}

struct DamageCase {
    const char* name;
    Bytes block;
    const char* message;
};

class LzrDamagedBlock : public testing::TestWithParam<DamageCase> {};

TEST_P(LzrDamagedBlock, RaisesWithoutTouchingMemoryOutside) {
    TLZR engine;
    const DamageCase& c = GetParam();
    // Exactly sized buffers so that the sanitizers see any stray access.
    std::vector<std::uint8_t> destination(TLZR::maxBlockInput);
    try {
        engine.DecompressBlock(c.block, destination);
        FAIL() << "no exception";
    } catch (const ELzrw1Exception& failure) {
        EXPECT_STREQ(failure.what(), c.message);
    }
}

Bytes longRuns(int runs) {
    Bytes block{0x40, 0xFF, 0xFF};
    for (int i = 0; i < runs; ++i) {
        block.insert(block.end(), {0x00, 0x0F, 0xEF, 0x55});  // 4095 bytes each
    }
    return block;
}

INSTANTIATE_TEST_SUITE_P(
    Damage, LzrDamagedBlock,
    testing::Values(DamageCase{"longer_than_32769", Bytes(32770, 0x80), messages::blockTooLong},
                    DamageCase{
                        "copy_before_start", {0x40, 0x40, 0x00, 'a', 0x00, 0x20}, messages::blockCopyBeforeStart},
                    DamageCase{"copy_first_item", {0x40, 0x80, 0x00, 0x01, 0x00}, messages::blockCopyBeforeStart},
                    DamageCase{"beyond_32768", longRuns(9), messages::blockOutputOverflow},
                    DamageCase{"copy_cut_short", {0x40, 0x40, 0x00, 'a', 0x00}, messages::blockItemTruncated},
                    DamageCase{"run_cut_short", {0x40, 0x80, 0x00, 0x00, 0x00, 0x05}, messages::blockItemTruncated},
                    DamageCase{"control_word_cut_short", {0x40, 0x00}, messages::blockItemTruncated},
                    DamageCase{"second_control_word_cut_short",
                               {0x40, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0x00},
                               messages::blockItemTruncated}),
    [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST(LzrDamagedBlock, StoredBlockLargerThanTheDestinationIsRefused) {
    TLZR engine;
    const Bytes block(101, 0x80);
    Bytes destination(99);
    EXPECT_THROW(engine.DecompressBlock(block, destination), ELzrw1Exception);
}

TEST(LzrDamagedBlock, ShortBlocksRestoreNothing) {
    TLZR engine;
    Bytes destination(TLZR::maxBlockInput);
    EXPECT_EQ(engine.DecompressBlock(Bytes{}, destination), 0);
    EXPECT_EQ(engine.DecompressBlock(Bytes{0x80}, destination), 0);
    EXPECT_EQ(engine.DecompressBlock(Bytes{0x40}, destination), 0);
}

}  // namespace
}  // namespace bv3::compress
