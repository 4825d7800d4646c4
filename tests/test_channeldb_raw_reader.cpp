// The raw image reader on hand-made uploaded files: pointer resolution, the per-model list
// rules, the menu codes, and files that are short, long or lie about their counts.
#include "channeldb/conversion_error.h"
#include "channeldb/layout.h"
#include "channeldb/raw_reader.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"
#include "channeldb_test_support.h"

#include <gtest/gtest.h>

#include <memory>

using namespace bv3::channeldb;
using namespace bv3::channeldb::testing;

namespace {

// An uploaded file written field by field in receiver terms: offsets are service-area
// offsets (or configuration-area offsets), values are what the receiver holds.
class UploadedFile {
public:
    explicit UploadedFile(std::uint8_t model)
        : model_(model), layout_(layoutFor(model)), bytes_(uploadedImageSize, 0xFF) {}

    const LayoutParameters& layout() const { return layout_; }
    std::uint32_t address(std::size_t offset) const { return layout_.serviceBase + static_cast<std::uint32_t>(offset); }
    std::size_t index(std::size_t offset) const { return layout_.indexRegionOffset + offset; }

    void areaLong(std::size_t at, std::uint32_t v) {
        storeComplemented(bytes_, layout_.uploadedServiceOffset + at, v, 4);
    }
    void areaWord(std::size_t at, std::uint32_t v) {
        storeComplemented(bytes_, layout_.uploadedServiceOffset + at, v, 2);
    }
    void areaByte(std::size_t at, std::uint32_t v) {
        storeComplemented(bytes_, layout_.uploadedServiceOffset + at, v, 1);
    }
    void areaText(std::size_t at, std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            areaByte(at + i, static_cast<std::uint8_t>(text[i]));
        }
    }
    void configByte(std::size_t at, std::uint32_t v) { storeComplemented(bytes_, at, v, 1); }
    void configWord(std::size_t at, std::uint32_t v) { storeComplemented(bytes_, at, v, 2); }

    // A service record at record position p holding only a name and its references.
    std::uint32_t service(std::size_t p, std::string_view name, std::uint32_t tsAddress = 0,
                          std::uint32_t providerAddress = 0) {
        const std::size_t at = layout_.serviceRecordOffset(static_cast<std::uint32_t>(p));
        areaText(at + 28, name);
        areaByte(at + 28 + name.size(), 0);
        areaLong(at + 20, tsAddress);
        areaLong(at + 24, providerAddress);
        return address(at);
    }
    void videoSlot(std::size_t slot, std::uint32_t address) {
        areaLong(index(layout_.videoListOffset) + 4 + 4 * slot, address);
    }
    void videoCount(std::uint32_t count) { areaLong(index(layout_.videoListOffset), count); }
    void audioCount(std::uint32_t count) { areaLong(index(layout_.audioListOffset), count); }
    void audioSlot(std::size_t slot, std::uint32_t address) {
        areaLong(index(layout_.audioListOffset) + 4 + 4 * slot, address);
    }
    std::uint32_t provider(std::size_t slot, std::string_view name) {
        const std::size_t at = layout_.tsRegionOffset + providerRecordsOffset + 20 * slot;
        areaText(at, name);
        areaLong(index(layout_.providerListOffset) + 4 + 4 * slot, address(at));
        return address(at);
    }
    void providerCount(std::uint32_t count) { areaWord(index(layout_.providerListOffset), count); }

    std::unique_ptr<ChannelDatabase> read(std::uint8_t variant = 3) const { return readPrefix(bytes_.size(), variant); }
    std::unique_ptr<ChannelDatabase> readPrefix(std::size_t length, std::uint8_t variant = 3) const {
        auto db = std::make_unique<ChannelDatabase>();
        readRawImage(std::span(bytes_).first(length), variant, model_, *db);
        return db;
    }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    std::uint8_t model_;
    const LayoutParameters& layout_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

TEST(RawReader, AnErasedImageGivesEmptyTables) {
    for (const std::uint8_t model : {0, 1, 2, 3, 4, 5}) {
        const auto db = UploadedFile(model).read();
        EXPECT_EQ(*db, ChannelDatabase()) << int{model};
    }
}

TEST(RawReader, PointersResolveToRowsOrRowZero) {
    UploadedFile f(0);
    const std::uint32_t p0 = f.provider(0, "First");
    const std::uint32_t p1 = f.provider(1, "Second");
    f.provider(2, "Second again");
    f.areaLong(f.index(f.layout().providerListOffset) + 4 + 8, p1);  // slot 2 repeats slot 1's address
    f.providerCount(3);
    f.videoSlot(0, f.service(0, "to second", 0, p1));
    f.videoSlot(1, f.service(1, "to nowhere", 0, p0 + 4));
    f.videoCount(2);
    const auto db = f.read();
    ASSERT_EQ(db->videoCount, 2);
    EXPECT_EQ(db->services[0].providerIndex, 1u);  // the first slot holding the address
    EXPECT_EQ(db->services[1].providerIndex, 0u);
    EXPECT_EQ(db->services[0].tsIndex, 0u);
    EXPECT_EQ(db->providers[2].provName, "Second");
}

TEST(RawReader, NamesStopAtNulOrTheFieldEnd) {
    UploadedFile f(2);
    f.provider(0, "");
    f.provider(1, "TwentyCharactersLong");  // fills the whole field, no terminator
    f.areaText(f.layout().tsRegionOffset + providerRecordsOffset + 40, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    f.areaLong(f.index(f.layout().providerListOffset) + 4 + 8, f.address(f.layout().tsRegionOffset + 28040));
    f.providerCount(3);
    f.videoSlot(0, f.service(0, "Twenty-nine characters, read!"));
    f.videoCount(1);
    const auto db = f.read();
    EXPECT_EQ(db->providers[0].provName, "(Unknown)");
    EXPECT_EQ(db->providers[1].provName, "TwentyCharactersLong");
    EXPECT_EQ(db->providers[2].provName, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(db->services[0].svcName, "Twenty-nine characters, read!");
}

TEST(RawReader, ListRulesPerModel) {
    {
        SCOPED_TRACE("model 4: the n-th service is the n-th non-empty slot");
        UploadedFile f(4);
        f.videoSlot(0, f.service(0, "A"));
        f.videoSlot(2, f.service(1, "B"));
        f.videoCount(2);
        const auto db = f.read();
        ASSERT_EQ(db->videoCount, 2);
        EXPECT_EQ(db->services[0].svcName, "A");
        EXPECT_EQ(db->services[1].svcName, "B");
    }
    {
        SCOPED_TRACE("model 3: an empty own slot sends the service to 999, 1000, ...");
        UploadedFile f(3);
        f.videoSlot(0, f.service(0, "A"));
        f.videoSlot(999, f.service(1, "B"));
        f.videoSlot(1000, f.service(2, "C"));
        f.videoCount(3);
        const auto db = f.read();
        ASSERT_EQ(db->videoCount, 3);
        EXPECT_EQ(db->services[1].svcName, "B");
        EXPECT_EQ(db->services[2].svcName, "C");
    }
    {
        SCOPED_TRACE("model 1: slot n, audio rows after video rows");
        UploadedFile f(1);
        f.videoSlot(0, f.service(0, "V"));
        f.videoCount(1);
        f.audioSlot(0, f.service(1, "A"));
        f.audioCount(1);
        const auto db = f.read();
        EXPECT_EQ(db->services[0].svcName, "V");
        EXPECT_EQ(db->services[1].svcName, "A");
        EXPECT_EQ(db->audioCount, 1);
    }
}

TEST(RawReader, Model3NumbersTheServicesOfPdm) {
    UploadedFile f(3);
    f.provider(0, "Other");
    f.provider(1, "PDMX");
    const std::uint32_t pdm = f.provider(2, "PDM");
    f.providerCount(3);
    const char* kinds = "VVVAA";
    const bool ofPdm[] = {true, false, true, true, true};
    for (std::size_t n = 0; n < 5; ++n) {
        const std::uint32_t a = f.service(n, "s", 0, ofPdm[n] ? pdm : 0);
        const std::size_t at = f.layout().serviceRecordOffset(static_cast<std::uint32_t>(n));
        f.areaByte(at + 14, kinds[n] == 'V' ? 0 : 1);
        f.areaWord(at + 18, 77);
        if (kinds[n] == 'V') {
            f.videoSlot(n, a);
        } else {
            f.audioSlot(n - 3, a);
        }
    }
    f.videoCount(3);
    f.audioCount(2);
    const auto db = f.read();
    const std::uint16_t expected[] = {1, 77, 2, 1, 2};
    for (std::size_t row = 0; row < 5; ++row) {
        EXPECT_EQ(db->services[row].channelNumber, expected[row]) << row;
    }
    // Without a provider named exactly "PDM" every stored number stays.
    f.provider(2, "pdm");
    EXPECT_EQ(f.read()->services[0].channelNumber, 77);
}

TEST(RawReader, MenuCodesAndTime) {
    struct Case {
        std::uint8_t code, byte19;
        std::uint8_t value9, value10;
    };
    for (const Case& c : {Case{0, 9, 0, 0}, Case{1, 9, 0, 1}, Case{0x10, 9, 1, 32}, Case{0x11, 9, 1, 48},
                          Case{5, 5, 5, 5}, Case{0x20, 3, 0x20, 3}}) {
        UploadedFile f(0);
        f.configByte(8149, c.code);
        f.configByte(19, c.byte19);
        f.configWord(8162, 0xFFA6);  // -90 minutes
        f.configByte(8156, 0xFE);
        f.configByte(8148, 0xA0);
        const auto db = f.read();
        EXPECT_EQ(db->menu.menuValue9, c.value9) << int{c.code};
        EXPECT_EQ(db->menu.menuValue10, c.value10) << int{c.code};
        EXPECT_EQ(db->menu.menuValue5, -130);
        EXPECT_EQ(db->menu.menuValue25, -2);
        EXPECT_EQ(db->menu.menuValue8, 10);
    }
}

TEST(RawReader, ExtrasExistExceptForVariants2And5) {
    for (const std::uint8_t variant : {0, 2, 4, 5}) {
        UploadedFile f(1);
        const std::size_t b = variant == 4 ? 60 : 48;
        f.configByte(b + 26, 0x5A);
        f.configWord(variant == 2 || variant == 5 ? b + 26 : b + 40, 0x4142);
        const auto db = f.read(variant);
        const bool extras = variant != 2 && variant != 5;
        EXPECT_EQ(db->menu.menuExtraByte, extras ? 0x5A : 0) << int{variant};
        EXPECT_EQ(db->menu.menuValue41, 0x4142) << int{variant};
    }
}

TEST(RawReader, ShortFilesReadAsErasedMemory) {
    // An image of a receiver with one service; every prefix of it must read without a fault,
    // and whatever the prefix does not reach reads as zero.
    ChannelDatabase db;
    db.videoCount = 1;
    db.services[0].svcName = "Only";
    db.menu.menuValue1 = 9;
    const auto file = composeUploadedImage(buildConfigImage(db, 3, 4), buildServiceImage(db, 4), 4);
    for (const std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{8191}, std::size_t{8192},
                                     std::size_t{0x2000 + 0x40000 + 4}, file.size() - 1}) {
        SCOPED_TRACE(length);
        ChannelDatabase read;
        readRawImage(std::span(file).first(length), 3, 4, read);
        EXPECT_EQ(read.menu.menuValue1, length > 4 ? 9 : 0);
        if (length <= 0x2000 + 0x40000) {
            EXPECT_EQ(read.videoCount, 0);
        }
    }
}

TEST(RawReader, LongFilesAreReadUpToTheServiceArea) {
    UploadedFile f(1);
    f.videoSlot(0, f.service(0, "kept"));
    f.videoCount(1);
    f.bytes().resize(uploadedImageSize + 100000, 0x00);
    const auto db = f.read();
    EXPECT_EQ(db->videoCount, 1);
    EXPECT_EQ(db->services[0].svcName, "kept");
}

TEST(RawReader, CountsAreClippedToTablesSlotsAndNonEmptySlots) {
    {
        UploadedFile f(1);  // 4000 slots per list
        f.videoCount(0xFFFFFFFF);
        f.audioCount(0xFFFFFFFF);
        f.providerCount(0xFFFF);
        f.areaWord(f.index(f.layout().tsListOffset), 0xFFFF);
        f.areaWord(f.index(f.layout().networkListOffset), 0xFFFF);
        f.areaLong(f.index(f.layout().favouriteListsOffset), 0xFFFFFFFF);
        const auto db = f.read();
        EXPECT_EQ(db->videoCount, 4000);
        EXPECT_EQ(db->audioCount, 0);
        EXPECT_EQ(db->providerCount, 500);
        EXPECT_EQ(db->tsCount, 1000);
        EXPECT_EQ(db->networkCount, 500);
        EXPECT_EQ(db->favCount[0][0], 100);
        EXPECT_EQ(db->services[3999].svcName, "(Unknown)");  // empty slot: a record of erased memory
    }
    {
        UploadedFile f(0);
        f.videoCount(2500);
        f.audioCount(2500);
        const auto db = f.read();
        EXPECT_EQ(db->videoCount, 2000);
        EXPECT_EQ(db->audioCount, 2000);
    }
    {
        UploadedFile f(5);  // claims 50 services, holds 2
        f.videoSlot(7, f.service(0, "x"));
        f.videoSlot(1999, f.service(1, "y"));
        f.videoCount(50);
        const auto db = f.read();
        ASSERT_EQ(db->videoCount, 2);
        EXPECT_EQ(db->services[1].svcName, "y");
    }
    {
        UploadedFile f(3);  // unnumbered services would run past the last slot
        f.videoCount(2000);
        EXPECT_EQ(f.read()->videoCount, 1001);
    }
}

TEST(RawReader, PointersOutsideTheServiceAreaReadAsErasedMemory) {
    UploadedFile f(4);
    f.videoSlot(0, 0x00000010);
    f.videoSlot(1, f.layout().serviceBase + 0x5FFF0);  // the record runs off the end
    f.videoSlot(2, 0xFFFFFFFF);
    f.videoCount(3);
    f.providerCount(1);
    f.areaLong(f.index(f.layout().providerListOffset) + 4, 0x12345678);
    const auto db = f.read();
    ASSERT_EQ(db->videoCount, 3);
    for (std::size_t row = 0; row < 3; ++row) {
        EXPECT_EQ(db->services[row].svcName, "(Unknown)");
        EXPECT_EQ(db->services[row].svcWordA, 0);
    }
    EXPECT_EQ(db->providers[0].provName, "(Unknown)");
}

TEST(RawReader, RefusesAnUnknownModel) {
    ChannelDatabase db;
    EXPECT_THROW(readRawImage({}, 0, 6, db), ConversionError);
}
