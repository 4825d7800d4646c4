// The raw image writer: the configuration image and the service image, byte for byte, and
// the lists it refuses to lay out.
#include "channeldb/conversion_error.h"
#include "channeldb/field_codec.h"
#include "channeldb/layout.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"
#include "channeldb_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace bv3::channeldb;
using namespace bv3::channeldb::testing;

namespace {

using Image = std::vector<std::uint8_t>;

std::span<const std::uint8_t> bytes(const Image& image, std::size_t at, std::size_t length) {
    return std::span<const std::uint8_t>(image).subspan(at, length);
}

void addService(ChannelDatabase& db, std::uint8_t kind, std::string name = "S", std::uint16_t number = 0) {
    ServiceRecord& s = db.services[db.serviceCount()];
    s.serviceKind = kind;
    s.svcName = std::move(name);
    s.channelNumber = number;
    ++(kind == 0 ? db.videoCount : db.audioCount);
}

std::unique_ptr<ChannelDatabase> databaseWithServices(std::size_t video, std::size_t audio) {
    auto db = std::make_unique<ChannelDatabase>();
    for (std::size_t i = 0; i < video; ++i) {
        addService(*db, 0, "V" + std::to_string(i), static_cast<std::uint16_t>(i + 1));
    }
    for (std::size_t i = 0; i < audio; ++i) {
        addService(*db, 1, "A" + std::to_string(i), static_cast<std::uint16_t>(i + 1));
    }
    return db;
}

}  // namespace

TEST(ConfigImage, MarkersAndChecksumsOfAnEmptyMenu) {
    const ChannelDatabase db;
    const Image c = buildConfigImage(db, 3, 1);
    ASSERT_EQ(c.size(), 8192u);
    EXPECT_EQ(wordAt(c, 0), 1);
    EXPECT_EQ(wordAt(c, 2), crc16(bytes(c, 4, 92)));
    EXPECT_EQ(wordAt(c, 2092), 0xABCD);
    EXPECT_EQ(wordAt(c, 2094), crc16(bytes(c, 2096, 448)));
    EXPECT_EQ(c[8183], 0x88);
    EXPECT_EQ(wordAt(c, 8144), crc16(bytes(c, 8146, 6)));
    EXPECT_EQ(wordAt(c, 8152), crc16(bytes(c, 8154, 6)));
    EXPECT_EQ(wordAt(c, 8160), crc16(bytes(c, 8162, 22)));
    EXPECT_EQ(wordAt(c, 8190), static_cast<std::uint16_t>(crc16(bytes(c, 0, 8190)) + 0x5A5A));
    // The receiver table at 1072 is not ours to fill.
    EXPECT_TRUE(std::all_of(c.begin() + 1072, c.begin() + 2004, [](std::uint8_t b) { return b == 0; }));
}

TEST(ConfigImage, TimeIsStoredAsHoursAndMinutesAndAsSignedMinutes) {
    struct Case {
        std::int32_t value;
        std::uint16_t minutes;
    };
    for (const Case& c : {Case{-130, 0xFFA6}, Case{930, 570}, Case{0, 0}, Case{2359, 1439}, Case{-5, 0xFFFB}}) {
        ChannelDatabase db;
        db.menu.menuValue5 = c.value;
        const Image image = buildConfigImage(db, 0, 0);
        EXPECT_EQ(longAt(image, 8), static_cast<std::uint32_t>(c.value)) << c.value;
        EXPECT_EQ(wordAt(image, 8162), c.minutes) << c.value;
    }
}

TEST(ConfigImage, PacksMenuValue9And10IntoTheCodeByte) {
    struct Case {
        std::uint8_t value9, value10, code;
    };
    for (const Case& c : {Case{0, 5, 5}, Case{0, 0x31, 1}, Case{1, 0x30, 0x11}, Case{1, 0x20, 0x10}, Case{2, 7, 0}}) {
        ChannelDatabase db;
        db.menu.menuValue9 = c.value9;
        db.menu.menuValue10 = c.value10;
        const Image image = buildConfigImage(db, 3, 0);
        EXPECT_EQ(image[8149], c.code) << int{c.value9} << "/" << int{c.value10};
        EXPECT_EQ(image[18], c.value9);
        EXPECT_EQ(image[19], c.value10);
    }
}

TEST(ConfigImage, VariantsMoveAndDropMenuFields) {
    ChannelDatabase db;
    MenuRecord& m = db.menu;
    m.menuValue7 = 0x42;
    m.menuValue8 = 0x13;
    m.menuValue11 = 7;
    m.menuValue23 = 23, m.menuValue24 = 24, m.menuValue25 = -3;
    m.menuValue30 = 0x30303030;
    m.menuExtraByte = 0xEE;
    m.menuValue41 = 0x4141;
    struct Case {
        std::uint8_t variant;
        std::uint8_t at16, at20;
        bool menu23To25Written;
        std::size_t b, c, headerLength;
        bool extras;
    };
    const Case cases[] = {
        {0, 0xFF, 1, true, 48, 88, 92, true},   {1, 0x42, 1, false, 48, 88, 92, true},
        {2, 0x42, 7, true, 48, 74, 80, false},  {3, 0x42, 7, true, 48, 88, 92, true},
        {4, 0x42, 7, true, 60, 100, 104, true}, {5, 0xFF, 1, true, 48, 74, 80, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(int{k.variant});
        const Image c = buildConfigImage(db, k.variant, 0);
        EXPECT_EQ(c[16], k.at16);
        EXPECT_EQ(c[8146], k.at16);
        EXPECT_EQ(c[17], 0);  // (0x13 + 1) AND 1
        EXPECT_EQ(c[8148], 0x30);
        EXPECT_EQ(c[20], k.at20);
        EXPECT_EQ(c[32], k.menu23To25Written ? 23 : 0);
        EXPECT_EQ(c[33], k.menu23To25Written ? 24 : 0);
        EXPECT_EQ(wordAt(c, 34), k.menu23To25Written ? 0xFFFD : 0);
        EXPECT_EQ(c[8155], k.menu23To25Written ? 23 : 0);
        EXPECT_EQ(c[8154], k.menu23To25Written ? 24 : 0);
        EXPECT_EQ(c[8156], k.menu23To25Written ? 0xFD : 0);
        EXPECT_EQ(longAt(c, k.b), 0x30303030u);
        EXPECT_EQ(c[k.b + 26], k.extras ? 0xEE : 0x41);
        EXPECT_EQ(wordAt(c, k.c), 0x4141);
        EXPECT_EQ(wordAt(c, 2), crc16(bytes(c, 4, k.headerLength)));
        if (k.variant == 4) {
            EXPECT_TRUE(std::all_of(c.begin() + 48, c.begin() + 60, [](std::uint8_t b) { return b == 0; }));
            EXPECT_EQ(k.c + 8, 4 + k.headerLength);  // the header checksum ends with menuValue44
        }
    }
}

TEST(ConfigImage, AntennaRecordsKeepAllSixteenNameBytes) {
    ChannelDatabase db;
    db.antennas[0].antLong = 0x01020304;
    db.antennas[0].antByteD = 0x0B;
    setAntennaName(db.antennas[0], "SIXTEEN-CHARS-XY");
    db.antennas[15].antName = {'a', 'b', 'c', '\0', 'z', 'z'};
    const LayoutParameters& l = layoutFor(2);
    const Image c = buildConfigImage(db, 0, 2);
    const std::size_t first = l.antennaBlockOffset + 4;
    EXPECT_EQ(longAt(c, first), 0x01020304u);
    EXPECT_EQ(c[first + 11], 0x0B);
    EXPECT_EQ(std::string(c.begin() + first + 12, c.begin() + first + 28), "SIXTEEN-CHARS-XY");
    const std::size_t last = first + 15 * 28;
    EXPECT_EQ(c[last + 12 + 4], 'z');  // bytes after the NUL are the record's, written as held
}

TEST(ServiceImage, EmptyDatabaseLayout) {
    const ChannelDatabase db;
    for (const std::uint8_t model : {0, 1, 2, 3, 4, 5}) {
        SCOPED_TRACE(int{model});
        const LayoutParameters& l = layoutFor(model);
        const Image s = buildServiceImage(db, model);
        ASSERT_EQ(s.size(), l.serviceAreaSize);
        // Banks and TS region erased, apart from the bank markers.
        for (std::size_t at = 0; at < l.indexRegionOffset; ++at) {
            const bool marker = (at & 0xFFFF) >= 0xFFFE;
            if (!marker && s[at] != 0xFF) {
                FAIL() << "byte " << at << " is not erased";
            }
        }
        for (const std::size_t marker : {0xFFFEu, 0x1FFFEu, 0x2FFFEu, 0x3FFFEu}) {
            EXPECT_EQ(wordAt(s, marker), 0xA5A5);
        }
        const std::size_t index = l.indexRegionOffset;
        for (const std::uint32_t list : {l.videoListOffset, l.audioListOffset}) {
            EXPECT_EQ(longAt(s, index + list), 0u);
        }
        for (const std::uint32_t list : {l.providerListOffset, l.networkListOffset, l.tsListOffset}) {
            EXPECT_EQ(wordAt(s, index + list), 0u);
        }
        for (std::size_t k = 0; k < l.serviceBanks; ++k) {
            EXPECT_EQ(s[index + 20 + k], 1);
        }
        EXPECT_TRUE(std::all_of(s.begin() + index + 20 + l.serviceBanks, s.begin() + index + 20 + l.allocationBlockSize,
                                [](std::uint8_t b) { return b == 0x55; }));
        EXPECT_TRUE(std::equal(s.begin() + index + l.bankTableOffset,
                               s.begin() + index + l.bankTableOffset + l.bankTableLength, l.bankTable.begin()));
        EXPECT_EQ(wordAt(s, index), offsetChecksum(bytes(s, index + 20, l.allocationBlockSize)));
        EXPECT_EQ(wordAt(s, index + 4), offsetChecksum(bytes(s, index + l.videoListOffset, 2 * l.listSize())));
        EXPECT_EQ(s[index + 0xA8D1], 0);
        EXPECT_EQ(s[index + 0xA8D2], 0xFF);
        EXPECT_TRUE(std::equal(s.begin() + index, s.begin() + index + 0x10000, s.begin() + index + 0x10000));
    }
}

TEST(ServiceImage, RecordFieldsAndAddresses) {
    ChannelDatabase db;
    db.tsCount = 3;
    db.providerCount = 2;
    db.networkCount = 2;
    db.transportStreams[2].networkIndex = 1;
    db.transportStreams[2].tsLongA = 0x11223344;
    db.transportStreams[2].tsWordE = 0x5566;
    db.providers[1].provName = "A provider name of 25 ch";
    db.networks[1].netName = "Net";
    db.networks[1].netWordB = 0x0102;
    addService(db, 0, "A service name of 25 char", 7);
    ServiceRecord& s = db.services[0];
    s.svcWordA = 0x0A0A, s.svcWordG = 0x0606, s.svcNibble = 5, s.svcFlag3 = 1, s.svcFlag0 = 1;
    s.svcWordE = 0x1111, s.svcFlag2 = 0, s.svcByteA = 3;
    s.tsIndex = 2, s.providerIndex = 1;
    addService(db, 0, "next", 0);
    for (const std::uint8_t model : {0, 1, 2, 4, 5}) {
        SCOPED_TRACE(int{model});
        const LayoutParameters& l = layoutFor(model);
        const Image image = buildServiceImage(db, model);
        EXPECT_EQ(wordAt(image, 0), 0x0A0A);
        EXPECT_EQ(wordAt(image, 8), 0x2000);
        EXPECT_EQ(wordAt(image, 10), 0x2000);
        EXPECT_EQ(wordAt(image, 12), 0x0606);
        EXPECT_EQ(image[14], 0);
        EXPECT_EQ(image[15], (model == 1 || model == 4) ? 0x5D : 0x0D);
        EXPECT_EQ(image[16], 0xFF);
        EXPECT_EQ(image[17], 0xFF);
        EXPECT_EQ(wordAt(image, 18), (model == 4 || model == 5) ? 7 : 0);
        const std::uint32_t ts = l.serviceBase + l.tsRegionOffset;
        EXPECT_EQ(longAt(image, 20), ts + 2 * 28);
        EXPECT_EQ(longAt(image, 24), ts + 28000 + 20);
        const std::string name(image.begin() + 28, image.begin() + 28 + l.serviceNameLength);
        if (model == 2) {
            EXPECT_EQ(name, std::string("A service name of 25 char") + std::string(5, '\0'));
            EXPECT_EQ(wordAt(image, 58), 0xFFFF);  // the last two bytes of a 60-byte record stay erased
        } else {
            EXPECT_EQ(name, std::string("A service name of 2") + '\0');
        }
        EXPECT_EQ(std::string(image.begin() + l.serviceRecordSize + 28, image.begin() + l.serviceRecordSize + 32),
                  "next");
        const std::size_t tsRecord = l.tsRegionOffset + 2 * 28;
        EXPECT_EQ(longAt(image, tsRecord + 8), ts + 38000 + 24);
        EXPECT_EQ(longAt(image, tsRecord + 12), 0x11223344u);
        EXPECT_EQ(wordAt(image, tsRecord + 24), 0x5566);
        EXPECT_EQ(wordAt(image, tsRecord + 6), 0xFFFF);  // spare bytes keep the fill
        EXPECT_EQ(std::string(image.begin() + l.tsRegionOffset + 28020, image.begin() + l.tsRegionOffset + 28040),
                  std::string("A provider name of ") + '\0');
        EXPECT_EQ(wordAt(image, l.tsRegionOffset + 38024 + 2), 0x0102);
        const std::size_t index = l.indexRegionOffset;
        EXPECT_EQ(longAt(image, index + l.videoListOffset), 2u);
        EXPECT_EQ(longAt(image, index + l.videoListOffset + 4), l.serviceBase);
        EXPECT_EQ(wordAt(image, index + l.tsListOffset), 3u);
        EXPECT_EQ(longAt(image, index + l.tsListOffset + 4 + 8), ts + 56);
        EXPECT_EQ(longAt(image, index + l.networkListOffset + 4 + 4), ts + 38024);
    }
}

TEST(ServiceImage, BanksFillUpAndSpillOver) {
    struct Case {
        std::uint8_t model;
        std::size_t services;
        std::vector<std::uint8_t> bankBytes;
        std::size_t lastRecordOffset;
    };
    const Case cases[] = {
        {0, 1365, {2, 1}, 1364 * 48}, {0, 1366, {2, 1}, 0x10000},    {2, 1093, {2, 1}, 0x10000},
        {2, 1092, {2, 1}, 1091 * 60}, {1, 2731, {2, 2, 1}, 0x20000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.model) + "/" + std::to_string(c.services));
        const LayoutParameters& l = layoutFor(c.model);
        const auto db = databaseWithServices(c.services, 0);
        const Image image = buildServiceImage(*db, c.model);
        const std::size_t block = l.indexRegionOffset + 20;
        EXPECT_TRUE(std::equal(c.bankBytes.begin(), c.bankBytes.end(), image.begin() + block));
        EXPECT_EQ(longAt(image, l.indexRegionOffset + l.videoListOffset + 4 * c.services),
                  l.serviceBase + c.lastRecordOffset);
        EXPECT_EQ(image[c.lastRecordOffset + 28], 'V');
        // Slot states: the last service's slot is in use (10), the next one free (01).
        const std::size_t r = c.services - 1;
        const std::size_t stateByte =
            block + l.serviceBanks + (r / l.recordsPerBank) * l.allocationStride + (r % l.recordsPerBank) / 4;
        const unsigned shift = 6 - 2 * ((r % l.recordsPerBank) % 4);
        EXPECT_EQ((image[stateByte] >> shift) & 3u, 2u);
    }
}

TEST(ServiceImage, NumberedAndUnnumberedSlotsPerModel) {
    // Video list: numbered, unnumbered, numbered, unnumbered.
    ChannelDatabase db;
    addService(db, 0, "n0", 5);
    addService(db, 0, "u1", 0);
    addService(db, 0, "n2", 9);
    addService(db, 0, "u3", 0);
    struct Case {
        std::uint8_t model;
        std::uint32_t slots[4];
    };
    for (const Case& c :
         {Case{0, {0, 1, 2, 3}}, Case{3, {0, 999, 2, 1000}}, Case{4, {0, 100, 2, 101}}, Case{5, {0, 100, 2, 101}}}) {
        SCOPED_TRACE(int{c.model});
        const LayoutParameters& l = layoutFor(c.model);
        const Image image = buildServiceImage(db, c.model);
        const std::size_t list = l.indexRegionOffset + l.videoListOffset;
        for (std::uint32_t n = 0; n < 4; ++n) {
            EXPECT_EQ(longAt(image, list + 4 + 4 * c.slots[n]), l.serviceBase + n * 48) << n;
        }
    }
}

TEST(ServiceImage, AudioRowsBeforeVideoRowsStillPointAtTheirRecords) {
    ChannelDatabase db;
    addService(db, 1, "radio", 0);
    addService(db, 0, "tv", 0);
    const LayoutParameters& l = layoutFor(0);
    const Image image = buildServiceImage(db, 0);
    const std::size_t index = l.indexRegionOffset;
    EXPECT_EQ(longAt(image, index + l.videoListOffset), 1u);
    EXPECT_EQ(longAt(image, index + l.audioListOffset), 1u);
    const std::uint32_t video = longAt(image, index + l.videoListOffset + 4);
    const std::uint32_t audio = longAt(image, index + l.audioListOffset + 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[video - l.serviceBase + 28])), "tv");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[audio - l.serviceBase + 28])), "radio");
    EXPECT_EQ(image[audio - l.serviceBase + 14], 1);
}

TEST(ServiceImage, FavouritesOfTheListsTheModelHas) {
    ChannelDatabase db;
    db.favCount[1][0] = 2;
    db.favEntry[1][0][0] = 0x1234;
    db.favEntry[1][0][1] = 0x5678;
    db.favCount[0][3] = 1;
    db.favEntry[0][3][0] = 0x0303;
    for (const std::uint8_t model : {0, 4}) {
        const LayoutParameters& l = layoutFor(model);
        const Image image = buildServiceImage(db, model);
        const std::size_t favourites = l.indexRegionOffset + l.favouriteListsOffset;
        EXPECT_EQ(longAt(image, favourites + 204), 2u);  // group 1, list 0
        EXPECT_EQ(wordAt(image, favourites + 204 + 4), 0x1234);
        EXPECT_EQ(wordAt(image, favourites + 204 + 6), 0x5678);
        const std::size_t list3 = favourites + (3 * 2 + 0) * 204;
        EXPECT_EQ(longAt(image, list3), model == 4 ? 1u : 0u) << int{model};
        EXPECT_EQ(wordAt(image, l.indexRegionOffset + 12),
                  offsetChecksum(bytes(image, favourites, 204 * 2 * l.favouriteListCount)));
    }
}

TEST(ServiceImage, RefusesWhatTheModelCannotHold) {
    struct Case {
        const char* what;
        std::uint8_t model;
        std::unique_ptr<ChannelDatabase> db;
        const char* message;
    };
    std::vector<Case> cases;
    cases.push_back({"more services than two banks", 0, databaseWithServices(1400, 1400), "hold at most 2730"});
    cases.push_back({"more than 2000 in a list", 4, databaseWithServices(2001, 0), "has 2000 slots; service 2001"});
    auto unnumbered = databaseWithServices(0, 0);
    for (int i = 0; i < 1902; ++i) {
        addService(*unnumbered, 0, "u", 0);
    }
    cases.push_back({"unnumbered past the last slot", 4, std::move(unnumbered), "would need slot 2000"});
    auto collision = databaseWithServices(0, 0);
    addService(*collision, 1, "unnumbered", 0);  // takes slot 100
    for (int i = 1; i <= 100; ++i) {
        addService(*collision, 1, "numbered " + std::to_string(i), static_cast<std::uint16_t>(i));
    }
    cases.push_back({"numbered service on an unnumbered slot", 5, std::move(collision), "falls on list slot 100"});
    cases.push_back({"unknown model", 6, databaseWithServices(1, 0), "not a receiver model"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            (void)buildServiceImage(*c.db, c.model);
            ADD_FAILURE() << "laid out";
        } catch (const ConversionError& refused) {
            EXPECT_NE(std::string(refused.what()).find(c.message), std::string::npos) << refused.what();
        }
    }
    EXPECT_THROW((void)buildConfigImage(ChannelDatabase(), 0, 200), ConversionError);
}

TEST(ServiceImage, TheLargestListsFitTheirModels) {
    EXPECT_NO_THROW((void)buildServiceImage(*databaseWithServices(2000, 2000), 1));
    EXPECT_NO_THROW((void)buildServiceImage(*databaseWithServices(1092, 1092), 2));
    EXPECT_NO_THROW((void)buildServiceImage(*databaseWithServices(2000, 730), 0));
}

TEST(UploadedImage, ComplementsBothImagesIntoTheirPlaces) {
    ChannelDatabase db;
    db.menu.menuValue1 = 0x12;
    for (const std::uint8_t model : {0, 1}) {
        SCOPED_TRACE(int{model});
        const LayoutParameters& l = layoutFor(model);
        const Image config = buildConfigImage(db, 3, model);
        const Image service = buildServiceImage(db, model);
        const Image file = composeUploadedImage(config, service, model);
        ASSERT_EQ(file.size(), uploadedImageSize);
        EXPECT_EQ(file[4], static_cast<std::uint8_t>(~0x12));
        EXPECT_EQ(file[l.uploadedServiceOffset + 0xFFFE], static_cast<std::uint8_t>(~0xA5));
        // Flash no image covers is erased (0xFF), stored complemented.
        EXPECT_EQ(file[0x2000], model == 0 ? 0x00 : static_cast<std::uint8_t>(~service[0]));
        // Receiver memory after a download of the two images, uploaded again, gives the same file.
        Image memory(uploadedImageSize, 0xFF);
        applyImagesToMemory(memory, config, service, model);
        for (std::uint8_t& b : memory) {
            b = static_cast<std::uint8_t>(~b);
        }
        EXPECT_TRUE(memory == file);
    }
    EXPECT_THROW((void)composeUploadedImage(Image(8192), Image(0x50000), 1), ConversionError);
    EXPECT_THROW((void)composeUploadedImage(Image(100), Image(0x50000), 0), ConversionError);
}
