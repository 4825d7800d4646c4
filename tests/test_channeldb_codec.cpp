// The field codec: complement on read only, big-endian, CRC-16/ARC; and the layout table.
#include "channeldb/field_codec.h"
#include "channeldb/layout.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string_view>

using namespace bv3::channeldb;

TEST(FieldCodec, ReadsComplementedBigEndianFields) {
    const std::array<std::uint8_t, 2> erased{0xFF, 0xFF};
    const std::array<std::uint8_t, 2> low{0x00, 0x01};
    const std::array<std::uint8_t, 4> pointer{0x4C, 0x4F, 0xFF, 0xFF};
    EXPECT_EQ(getComplementedWord(erased, 0), 0);
    EXPECT_EQ(getComplementedWord(low, 0), 0xFFFE);
    EXPECT_EQ(getComplementedLong(pointer, 0), 0xB3B00000u);
    EXPECT_EQ(getComplementedByte(pointer, 1), 0xB0);
}

TEST(FieldCodec, ReadsBeyondTheImageAsErasedMemory) {
    const std::array<std::uint8_t, 3> image{0x00, 0x00, 0x00};
    EXPECT_EQ(getComplementedByte(image, 3), 0);
    EXPECT_EQ(getComplementedWord(image, 2), 0xFF00);  // the last byte, then nothing
    EXPECT_EQ(getComplementedLong(image, static_cast<std::size_t>(-2)), 0u);
    EXPECT_EQ(getComplementedLong(std::span<const std::uint8_t>(), 0), 0u);
}

TEST(FieldCodec, WritesPlainBigEndianFieldsCutToTheirWidth) {
    std::array<std::uint8_t, 8> image{};
    putWord(0x1234, image, 0);
    putLong(0xB30B0000, image, 2);
    putByte(0x1FF, image, 6);
    putWord(0xABCDE, image, 6);
    EXPECT_EQ(image, (std::array<std::uint8_t, 8>{0x12, 0x34, 0xB3, 0x0B, 0x00, 0x00, 0xBC, 0xDE}));
}

TEST(FieldCodec, RefusesToWriteOutsideTheImage) {
    std::array<std::uint8_t, 4> image{};
    EXPECT_THROW(putLong(1, image, 1), std::out_of_range);
    EXPECT_THROW(putWord(1, image, 3), std::out_of_range);
    EXPECT_THROW(putByte(1, image, 4), std::out_of_range);
    EXPECT_THROW(putByte(1, image, static_cast<std::size_t>(-1)), std::out_of_range);
    EXPECT_EQ(image, (std::array<std::uint8_t, 4>{}));
}

TEST(FieldCodec, Crc16IsArc) {
    constexpr std::string_view check = "123456789";
    const auto bytes = std::as_bytes(std::span(check));
    const std::span<const std::uint8_t> text(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(crc16(text), 0xBB3D);  // the catalogue check value of CRC-16/ARC
    EXPECT_EQ(crc16({}), 0);
    EXPECT_EQ(offsetChecksum({}), 0x5A5A);
    EXPECT_EQ(offsetChecksum(text), static_cast<std::uint16_t>(0xBB3D + 0x5A5A));
    const std::array<std::uint8_t, 1> one{0x01};
    EXPECT_EQ(crc16(one), 0xC0C1);
}

TEST(FieldCodec, ImageOffsetIsRelativeToTheServiceBase) {
    EXPECT_EQ(imageOffset(0xB30B0000, 0xB30B0000), 0u);
    EXPECT_EQ(imageOffset(0xB30B001C, 0xB30B0000), 28u);
    EXPECT_EQ(imageOffset(0, 0xB30B0000), 0x4CF50000u);  // wraps, lands far outside any image
}

TEST(Layout, ModelsHaveTheirMemoryMaps) {
    struct Row {
        std::uint8_t model;
        std::uint32_t base, recordSize, perBank, listSlots, favouriteLists, antennaBlock, areaSize, uploadedOffset;
        std::uint32_t audioList, favourites;
    };
    const Row rows[] = {
        {0, 0xB30B0000, 48, 1365, 2000, 1, 2412, 0x50000, 0x12000, 9224, 25240},
        {1, 0xB30A0000, 48, 1365, 4000, 4, 2092, 0x60000, 0x2000, 17570, 41586},
        {2, 0xB30B0000, 60, 1092, 2000, 1, 2832, 0x50000, 0x12000, 9088, 25104},
        {3, 0xB30B0000, 48, 1365, 2000, 1, 2412, 0x50000, 0x12000, 9224, 25240},
        {4, 0xB30A0000, 48, 1365, 2000, 4, 2092, 0x60000, 0x2000, 9570, 25586},
        {5, 0xB30B0000, 48, 1365, 2000, 1, 2412, 0x50000, 0x12000, 9224, 25240},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int{row.model});
        const LayoutParameters& l = layoutFor(row.model);
        EXPECT_EQ(l.serviceBase, row.base);
        EXPECT_EQ(l.serviceRecordSize, row.recordSize);
        EXPECT_EQ(l.recordsPerBank, row.perBank);
        EXPECT_EQ(l.listSlots, row.listSlots);
        EXPECT_EQ(l.favouriteListCount, row.favouriteLists);
        EXPECT_EQ(l.antennaBlockOffset, row.antennaBlock);
        EXPECT_EQ(l.serviceAreaSize, row.areaSize);
        EXPECT_EQ(l.uploadedServiceOffset, row.uploadedOffset);
        EXPECT_EQ(l.audioListOffset, row.audioList);
        EXPECT_EQ(l.favouriteListsOffset, row.favourites);
        EXPECT_LE(l.serviceBanks * (1 + l.allocationStride) + 500, l.allocationBlockSize);
    }
    EXPECT_EQ(&layoutFor(9), &layoutFor(1));
    EXPECT_FALSE(isKnownModel(6));
}
