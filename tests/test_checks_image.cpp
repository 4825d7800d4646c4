// The integrity checks of an uploaded image: a clean upload of every model and variant passes,
// and each kind of damage is found at the offset where it is, and nowhere else.

#include "channeldb/field_codec.h"
#include "channeldb/image_check.h"
#include "channeldb/layout.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"
#include "channeldb_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace bv3::channeldb {
namespace {

using testing::describe;
using testing::storeComplemented;
using Image = std::vector<std::uint8_t>;

// A small receiver: three TS (the third referred to by no service), two networks, three
// providers, five video services (the third without a channel number) and three audio ones,
// and a favourite in the first list of each group.
std::unique_ptr<ChannelDatabase> smallReceiver() {
    auto db = std::make_unique<ChannelDatabase>();
    db->tsCount = 3;
    for (std::uint16_t i = 0; i < 3; ++i) {
        db->transportStreams[i].tsWordC = static_cast<std::uint16_t>(1000 + i);
        db->transportStreams[i].networkIndex = i % 2;
        db->transportStreams[i].tsLongA = 11000u + i;
    }
    db->networkCount = 2;
    db->networks[0].netName = "Skyline";
    db->networks[1].netName = "Orbital";
    db->providerCount = 3;
    db->providers[0].provName = "Tessera";
    db->providers[1].provName = "Lumen";
    db->providers[2].provName = "Arcwave";
    for (std::size_t row = 0; row < 8; ++row) {
        ServiceRecord& s = db->services[row];
        s.serviceKind = row < 5 ? 0 : 1;
        s.svcWordA = static_cast<std::uint16_t>(100 + row);
        s.svcFlag0 = 1;
        s.tsIndex = row % 2;
        s.providerIndex = row % 3;
        s.channelNumber = row == 2 ? 0 : static_cast<std::uint16_t>(row + 1);
        s.svcName = "Channel " + std::to_string(row);
    }
    db->videoCount = 5;
    db->audioCount = 3;
    db->favCount[0][0] = 2;
    db->favEntry[0][0][0] = 1;
    db->favEntry[0][0][1] = 4;
    db->favCount[1][0] = 1;
    db->favEntry[1][0][0] = 6;
    db->antennas[0].antLong = 9750;
    testing::setAntennaName(db->antennas[0], "Astrea 19E");
    db->menu.menuValue1 = 3;
    db->menu.menuValue5 = 930;
    db->menu.menuValue41 = 7;
    db->menu.menuValue44 = 9;
    return db;
}

Image cleanUpload(std::uint8_t configVariant, std::uint8_t modelCode) {
    const auto db = smallReceiver();
    return composeUploadedImage(buildConfigImage(*db, configVariant, modelCode), buildServiceImage(*db, modelCode),
                                modelCode);
}

std::set<std::size_t> offsetsOf(const CheckReport& report) {
    std::set<std::size_t> offsets;
    for (const Finding& f : report.findings) {
        EXPECT_TRUE(f.offset.has_value()) << f.where << ": " << f.message;
        offsets.insert(f.offset.value_or(0));
    }
    return offsets;
}

class CleanUpload : public ::testing::TestWithParam<int> {};

TEST_P(CleanUpload, PassesEveryCheckUnderEveryVariant) {
    const auto model = static_cast<std::uint8_t>(GetParam());
    for (const std::uint8_t variant : {0, 1, 2, 3, 4, 5, 9}) {
        const CheckReport report = checkUploadedImage(cleanUpload(variant, model), variant, model);
        EXPECT_TRUE(report.passed()) << "variant " << int{variant} << "\n" << describe(report);
        EXPECT_EQ(report.counts.videoServices, 5u);
        EXPECT_EQ(report.counts.audioServices, 3u);
        EXPECT_EQ(report.counts.transportStreams, 3u);
        EXPECT_EQ(report.counts.networks, 2u);
        EXPECT_EQ(report.counts.providers, 3u);
        EXPECT_EQ(report.counts.favourites, 3u);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryModel, CleanUpload, ::testing::Range(0, 6));

// ---- damage ----------------------------------------------------------------------------

// File offsets of a model's service area and index region.
struct Map {
    const LayoutParameters& l;
    std::size_t service(std::size_t offset) const { return l.uploadedServiceOffset + offset; }
    std::size_t index(std::size_t offset) const { return service(l.indexRegionOffset + offset); }
    std::size_t record(std::size_t position) const { return service(l.serviceRecordOffset(position)); }
    std::size_t slot(std::size_t listOffset, std::size_t s) const { return index(listOffset + 4 + 4 * s); }
    std::uint32_t address(std::size_t serviceOffset) const {
        return l.serviceBase + static_cast<std::uint32_t>(serviceOffset);
    }
};

void flip(Image& file, std::size_t at) {
    file.at(at) ^= 0x01;
}

// Damage to the index region that a receiver would copy along: both copies change alike.
void flipIndex(Image& file, const Map& m, std::size_t offset) {
    flip(file, m.index(offset));
    flip(file, m.index(0x10000 + offset));
}

// After a change to the lists, make the index region's checksums and copy consistent again,
// so that only the change itself is at fault.
void reseal(Image& file, const Map& m) {
    const LayoutParameters& l = m.l;
    const std::size_t covered[][2] = {{20, l.allocationBlockSize},
                                      {l.bankTableOffset, l.bankTableLength},
                                      {l.videoListOffset, 2 * std::size_t{l.listSize()}},
                                      {l.providerListOffset, 2004},
                                      {l.networkListOffset, 2004},
                                      {l.tsListOffset, 4004},
                                      {l.favouriteListsOffset, 408 * std::size_t{l.favouriteListCount}}};
    for (std::size_t i = 0; i < 7; ++i) {
        Image plain(covered[i][1]);
        for (std::size_t k = 0; k < plain.size(); ++k) {
            plain[k] = static_cast<std::uint8_t>(~file[m.index(covered[i][0] + k)]);
        }
        storeComplemented(file, m.index(2 * i), offsetChecksum(plain), 2);
    }
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(m.index(0)), 0x10000,
                file.begin() + static_cast<std::ptrdiff_t>(m.index(0x10000)));
}

struct Damage {
    const char* name;
    // Damages the file of a model and returns the file offsets the checks must name.
    std::function<std::set<std::size_t>(Image&, const Map&, std::uint8_t model)> apply;
};

const Damage damages[] = {
    // Configuration area: every region's checksum, and the last word that covers them all.
    {"header byte",
     [](Image& f, const Map&, std::uint8_t) {
         return flip(f, 10), std::set<std::size_t>{2, 8190};
     }},
    {"header checksum itself",
     [](Image& f, const Map&, std::uint8_t) {
         return flip(f, 3), std::set<std::size_t>{2, 8190};
     }},
    {"byte under 8144",
     [](Image& f, const Map&, std::uint8_t) {
         return flip(f, 8147), std::set<std::size_t>{8144, 8190};
     }},
    {"byte under 8152",
     [](Image& f, const Map&, std::uint8_t) {
         return flip(f, 8155), std::set<std::size_t>{8152, 8190};
     }},
    {"byte under 8160",
     [](Image& f, const Map&, std::uint8_t) {
         return flip(f, 8170), std::set<std::size_t>{8160, 8190};
     }},
    {"antenna record byte",
     [](Image& f, const Map& m, std::uint8_t) {
         flip(f, m.l.antennaBlockOffset + 4 + 30);
         return std::set<std::size_t>{m.l.antennaBlockOffset + 2, 8190};
     }},
    {"antenna marker",
     [](Image& f, const Map& m, std::uint8_t) {
         flip(f, m.l.antennaBlockOffset + 1);
         return std::set<std::size_t>{m.l.antennaBlockOffset, 8190};
     }},
    {"byte only the last word covers",
     [](Image& f, const Map&, std::uint8_t) { return flip(f, 1080), std::set<std::size_t>{8190}; }},
    {"last word itself", [](Image& f, const Map&, std::uint8_t) { return flip(f, 8191), std::set<std::size_t>{8190}; }},
    // Service area markers; with two banks the last lies in the index region, whose copy
    // then differs too.
    {"bank 0 marker",
     [](Image& f, const Map& m, std::uint8_t) { return flip(f, m.service(0xFFFE)), std::set{m.service(0xFFFE)}; }},
    {"bank 1 marker",
     [](Image& f, const Map& m, std::uint8_t) { return flip(f, m.service(0x1FFFF)), std::set{m.service(0x1FFFE)}; }},
    {"third marker",
     [](Image& f, const Map& m, std::uint8_t) { return flip(f, m.service(0x2FFFE)), std::set{m.service(0x2FFFE)}; }},
    {"fourth marker",
     [](Image& f, const Map& m, std::uint8_t) {
         flip(f, m.service(0x3FFFE));
         std::set<std::size_t> expected{m.service(0x3FFFE)};
         if (m.l.serviceBanks == 2) {
             expected.insert(m.index(0x1FFFE));
         }
         return expected;
     }},
    // The seven checksums of the index region.
    {"allocation block byte",
     [](Image& f, const Map& m, std::uint8_t) { return flipIndex(f, m, 23), std::set{m.index(0)}; }},
    {"bank table byte", [](Image& f, const Map& m,
                           std::uint8_t) { return flipIndex(f, m, m.l.bankTableOffset + 1), std::set{m.index(2)}; }},
    {"unused video slot",
     [](Image& f, const Map& m, std::uint8_t) {
         flipIndex(f, m, m.l.videoListOffset + 4 + 4 * 1500 + 3);
         return std::set{m.index(4), m.slot(m.l.videoListOffset, 1500)};
     }},
    {"unused provider slot",
     [](Image& f, const Map& m, std::uint8_t) {
         flipIndex(f, m, m.l.providerListOffset + 4 + 4 * 10);
         return std::set{m.index(6)};
     }},
    {"unused network slot",
     [](Image& f, const Map& m, std::uint8_t) {
         flipIndex(f, m, m.l.networkListOffset + 4 + 4 * 10);
         return std::set{m.index(8)};
     }},
    {"unused TS slot",
     [](Image& f, const Map& m, std::uint8_t) {
         flipIndex(f, m, m.l.tsListOffset + 4 + 4 * 10);
         return std::set{m.index(10)};
     }},
    {"favourite entry",
     [](Image& f, const Map& m, std::uint8_t) {
         flipIndex(f, m, m.l.favouriteListsOffset + 4 + 1);
         return std::set{m.index(12)};
     }},
    {"index copy differs",
     [](Image& f, const Map& m, std::uint8_t) {
         flip(f, m.index(0x10000 + 100));
         return std::set{m.index(0x10000 + 100)};
     }},
    // Lists and pointers, with the index region's checksums and copy made consistent again.
    {"service pointer into a record",
     [](Image& f, const Map& m, std::uint8_t) {
         storeComplemented(f, m.slot(m.l.videoListOffset, 0), m.address(m.l.serviceRecordOffset(0) + 2), 4);
         reseal(f, m);
         return std::set{m.slot(m.l.videoListOffset, 0)};
     }},
    {"service pointer beyond the banks",
     [](Image& f, const Map& m, std::uint8_t) {
         storeComplemented(f, m.slot(m.l.audioListOffset, 1), m.address(m.l.serviceBanks * 0x10000), 4);
         reseal(f, m);
         return std::set{m.slot(m.l.audioListOffset, 1)};
     }},
    {"service pointer into a bank's spare bytes",
     [](Image& f, const Map& m, std::uint8_t) {
         storeComplemented(f, m.slot(m.l.videoListOffset, 1), m.address(m.l.recordsPerBank * m.l.serviceRecordSize), 4);
         reseal(f, m);
         return std::set{m.slot(m.l.videoListOffset, 1)};
     }},
    {"TS slot on a provider record",
     [](Image& f, const Map& m, std::uint8_t) {
         storeComplemented(f, m.slot(m.l.tsListOffset, 2), m.address(m.l.tsRegionOffset + providerRecordsOffset), 4);
         reseal(f, m);
         return std::set{m.slot(m.l.tsListOffset, 2)};
     }},
    {"provider count beyond its slots",
     [](Image& f, const Map& m, std::uint8_t) {
         storeComplemented(f, m.index(m.l.providerListOffset), 501, 2);
         reseal(f, m);
         return std::set{m.index(m.l.providerListOffset), m.slot(m.l.providerListOffset, 3)};
     }},
    {"favourite count beyond 100",
     [](Image& f, const Map& m, std::uint8_t) {
         storeComplemented(f, m.index(m.l.favouriteListsOffset), 101, 4);
         reseal(f, m);
         return std::set{m.index(m.l.favouriteListsOffset)};
     }},
    {"video count beyond its services",
     [](Image& f, const Map& m, std::uint8_t model) {
         storeComplemented(f, m.index(m.l.videoListOffset), 6, 4);
         reseal(f, m);
         if (model == 4 || model == 5) {
             return std::set{m.index(m.l.videoListOffset)};
         }
         // Model 3 looks for a sixth service without a number in slot 1000 (999 holds the
         // third); the others in slot 5.
         return std::set{m.slot(m.l.videoListOffset, model == 3 ? 1000 : 5)};
     }},
    {"video count beyond the list's slots",
     [](Image& f, const Map& m, std::uint8_t model) {
         storeComplemented(f, m.index(m.l.videoListOffset), m.l.listSlots + 1, 4);
         reseal(f, m);
         std::set expected{m.index(m.l.videoListOffset)};
         if (model == 4 || model == 5) {
             return expected;
         }
         expected.insert(m.slot(m.l.videoListOffset, model == 3 ? 1000 : 5));
         return expected;
     }},
    {"audio record marked video",
     [](Image& f, const Map& m, std::uint8_t) {
         flip(f, m.record(6) + 14);
         return std::set{m.record(6) + 14};
     }},
    {"service TS reference in no slot",
     [](Image& f, const Map& m, std::uint8_t) {
         storeComplemented(f, m.record(0) + 20, m.address(m.l.tsRegionOffset + 28 * 5), 4);
         return std::set{m.record(0) + 20};
     }},
    {"service provider reference in no slot",
     [](Image& f, const Map& m, std::uint8_t) {
         storeComplemented(f, m.record(7) + 24, m.address(m.l.tsRegionOffset + providerRecordsOffset + 20 * 3), 4);
         return std::set{m.record(7) + 24};
     }},
    {"TS network reference in no slot",
     [](Image& f, const Map& m, std::uint8_t) {
         storeComplemented(f, m.service(m.l.tsRegionOffset + 28 + 8), 0, 4);
         return std::set{m.service(m.l.tsRegionOffset + 28 + 8)};
     }},
};

class DamagedUpload : public ::testing::TestWithParam<std::tuple<int, std::size_t>> {};

TEST_P(DamagedUpload, IsFoundWhereItIs) {
    const auto model = static_cast<std::uint8_t>(std::get<0>(GetParam()));
    const Damage& damage = damages[std::get<1>(GetParam())];
    Image file = cleanUpload(3, model);
    const Map map{layoutFor(model)};
    const std::set<std::size_t> expected = damage.apply(file, map, model);
    const CheckReport report = checkUploadedImage(file, 3, model);
    EXPECT_EQ(offsetsOf(report), expected) << damage.name << ", model " << int{model} << ":\n" << describe(report);
    for (const Finding& f : report.findings) {
        EXPECT_EQ(f.severity, Severity::Error) << f.message;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryModel, DamagedUpload,
                         ::testing::Combine(::testing::Range(0, 6),
                                            ::testing::Range<std::size_t>(0, std::size(damages))),
                         [](const auto& info) {
                             std::string name = "model" + std::to_string(std::get<0>(info.param)) + "_" +
                                                damages[std::get<1>(info.param)].name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

// ---- whole files -------------------------------------------------------------------------

TEST(UploadedImageCheck, ShortFileIsAFindingAndReadsNothingBeyondItsEnd) {
    const Image file = cleanUpload(3, 1);
    for (const std::size_t size : {std::size_t{0}, std::size_t{100}, std::size_t{8192}, uploadedImageSize - 1}) {
        const std::vector<std::uint8_t> shortened(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        const CheckReport report = checkUploadedImage(shortened, 3, 1);
        ASSERT_FALSE(report.findings.empty());
        EXPECT_EQ(report.findings.front().offset, size) << report.findings.front().message;
    }
}

TEST(UploadedImageCheck, BytesBeyondAnUploadAreAWarningOnly) {
    Image file = cleanUpload(3, 0);
    file.resize(file.size() + 10, 0x42);
    const CheckReport report = checkUploadedImage(file, 3, 0);
    ASSERT_EQ(report.findings.size(), 1u) << describe(report);
    EXPECT_EQ(report.findings[0].severity, Severity::Warning);
    EXPECT_EQ(report.findings[0].offset, uploadedImageSize);
    EXPECT_FALSE(report.hasErrors());
}

TEST(UploadedImageCheck, AnUploadOfAnotherModelFails) {
    EXPECT_TRUE(checkUploadedImage(cleanUpload(3, 1), 3, 0).hasErrors());
    EXPECT_TRUE(checkUploadedImage(cleanUpload(3, 0), 3, 2).hasErrors());
}

TEST(UploadedImageCheck, TheHeaderChecksumCoversAsManyBytesAsTheVariantSays) {
    // Variant 4's header checksum covers bytes 4 to 107; under variant 3 it would be 4 to 95.
    EXPECT_TRUE(checkUploadedImage(cleanUpload(4, 1), 4, 1).passed());
    EXPECT_TRUE(checkUploadedImage(cleanUpload(4, 1), 3, 1).hasErrors());
}

TEST(UploadedImageCheck, RefusesAnUnknownModel) {
    EXPECT_THROW(checkUploadedImage(cleanUpload(3, 1), 3, 6), std::exception);
}

}  // namespace
}  // namespace bv3::channeldb
