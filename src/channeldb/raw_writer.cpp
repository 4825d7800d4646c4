#include "channeldb/raw_writer.h"

#include "channeldb/config_area.h"
#include "channeldb/conversion_error.h"
#include "channeldb/field_codec.h"
#include "channeldb/layout.h"
#include "channeldb/record_layout.h"
#include "safe_write/safe_write.h"

#include <algorithm>
#include <string>
#include <vector>

namespace bv3::channeldb {

namespace {

using Image = std::vector<std::uint8_t>;

void checkModel(std::uint8_t modelCode) {
    if (!isKnownModel(modelCode)) {
        throw ConversionError("model code " + std::to_string(modelCode) +
                              " is not a receiver model this system knows (0 to 5)");
    }
}

std::span<const std::uint8_t> range(const Image& image, std::size_t offset, std::size_t length) {
    return std::span<const std::uint8_t>(image).subspan(offset, length);
}

// A name field: at most fieldLength - 1 characters, then NUL bytes to the end of the field.
void putName(const std::string& name, Image& image, std::size_t position, std::size_t fieldLength) {
    const std::size_t length = std::min(name.size(), fieldLength - 1);
    for (std::size_t i = 0; i < fieldLength; ++i) {
        putByte(i < length ? static_cast<std::uint8_t>(name[i]) : 0u, image, position + i);
    }
}

// ---- configuration image --------------------------------------------------------------

// The code byte (configarea::menuCodeCopy) that packs menuValue9 and menuValue10.
std::uint8_t menuCode(const MenuRecord& m) {
    if (m.menuValue9 == 0) {
        return m.menuValue10 & 0x0Fu;
    }
    if (m.menuValue9 == 1) {
        return static_cast<std::uint8_t>(0x10u | ((m.menuValue10 >> 4) & 1u));
    }
    return 0;
}

// Hours x 100 + minutes to signed minutes, truncating toward zero like the receiver.
std::int32_t toMinutes(std::int32_t v) {
    return (v / 100) * 60 + v % 100;
}

void putMenu(const MenuRecord& m, const ConfigLayout& layout, Image& c) {
    namespace f = menublock;
    putWord(1, c, f::headerWord);
    putByte(m.menuValue1, c, f::value1);
    putByte(m.menuValue2, c, f::value2);
    putByte(m.menuValue3, c, f::value3);
    putByte(m.menuValue4, c, f::value4);
    putLong(static_cast<std::uint32_t>(m.menuValue5), c, f::value5);
    putLong(static_cast<std::uint32_t>(m.menuValue6), c, f::value6);
    const std::uint8_t value7 = layout.value7Fixed ? 0xFF : m.menuValue7;
    putByte(value7, c, f::value7);
    putByte(value7, c, configarea::menuValue7Copy);
    putByte((m.menuValue8 + 1u) & 1u, c, f::value8);
    putByte(m.menuValue8 * 16u, c, configarea::menuValue8Copy);
    putByte(m.menuValue9, c, f::value9);
    putByte(m.menuValue10, c, f::value10);
    putByte(menuCode(m), c, configarea::menuCodeCopy);
    putByte(layout.value11OnOff ? (m.menuValue11 != 0 ? 1u : 0u) : m.menuValue11, c, f::values11to22);
    const std::uint8_t bytes12to22[] = {m.menuValue12, m.menuValue13, m.menuValue14, m.menuValue15,
                                        m.menuValue16, m.menuValue17, m.menuValue18, m.menuValue19,
                                        m.menuValue20, m.menuValue21, m.menuValue22};
    for (std::size_t i = 0; i < std::size(bytes12to22); ++i) {
        putByte(bytes12to22[i], c, f::values11to22 + 1 + i);
    }
    if (layout.keepsValues23to25) {
        putByte(m.menuValue23, c, f::value23);
        putByte(m.menuValue24, c, f::value24);
        putWord(static_cast<std::uint16_t>(m.menuValue25), c, f::value25);
        putByte(m.menuValue23, c, configarea::menuValue23Copy);
        putByte(m.menuValue24, c, configarea::menuValue24Copy);
        putByte(static_cast<std::uint16_t>(m.menuValue25) & 0xFFu, c, configarea::menuValue25Copy);
    }
    putByte(m.menuValue26, c, f::value26);
    putByte(m.menuValue26, c, f::value26Again);
    putWord(static_cast<std::uint16_t>(m.menuValue27), c, f::value27);
    putLong(static_cast<std::uint32_t>(m.menuValue28), c, f::value28);
    putLong(static_cast<std::uint32_t>(m.menuValue29), c, f::value29);
    const std::size_t b = layout.blockB;
    const std::int32_t longs[] = {m.menuValue30, m.menuValue31, m.menuValue32, m.menuValue33, m.menuValue34};
    for (std::size_t i = 0; i < std::size(longs); ++i) {
        putLong(static_cast<std::uint32_t>(longs[i]), c, b + f::values30to34 + 4 * i);
    }
    const std::uint8_t bytes[] = {m.menuValue35, m.menuValue36, m.menuValue37,
                                  m.menuValue38, m.menuValue39, m.menuValue40};
    for (std::size_t i = 0; i < std::size(bytes); ++i) {
        putByte(bytes[i], c, b + f::values35to40 + i);
    }
    if (layout.hasMenuExtras) {
        putByte(m.menuExtraByte, c, b + f::extraByte);
        putLong(m.menuExtraLongA, c, b + f::extraLongA);
        putLong(m.menuExtraLongB, c, b + f::extraLongB);
        putByte(m.menuExtraByteA, c, b + f::extraByteA);
        putByte(m.menuExtraByteB, c, b + f::extraByteB);
        putByte(m.menuExtraByteC, c, b + f::extraByteC);
    }
    const std::uint16_t words[] = {m.menuValue41, m.menuValue42, m.menuValue43, m.menuValue44};
    for (std::size_t i = 0; i < std::size(words); ++i) {
        putWord(words[i], c, layout.blockC() + f::values41to44 + 2 * i);
    }
    putWord(static_cast<std::uint32_t>(toMinutes(m.menuValue5)), c, configarea::menuValue5Minutes);
    putByte(0x88, c, configarea::endMarker);
}

void putAntennas(const ChannelDatabase& db, std::size_t block, Image& c) {
    namespace f = antennarecord;
    for (std::size_t i = 0; i < antennaCount; ++i) {
        const AntennaRecord& a = db.antennas[i];
        const std::size_t at = block + antennablock::records + antennaRecordSize * i;
        putLong(a.antLong, c, at + f::longValue);
        putWord(a.antWordA, c, at + f::wordA);
        putWord(a.antWordB, c, at + f::wordB);
        putByte(a.antByteA, c, at + f::byteA);
        putByte(a.antByteB, c, at + f::byteB);
        putByte(a.antByteC, c, at + f::byteC);
        putByte(a.antByteD, c, at + f::byteD);
        for (std::size_t k = 0; k < antennaNameLength; ++k) {
            putByte(static_cast<std::uint8_t>(a.antName[k]), c, at + f::name + k);
        }
    }
}

// ---- service image ---------------------------------------------------------------------

// The rows of one service list in table order. Rows are taken by their kind, so a table whose
// audio rows are not all after its video rows still gives lists that point at the right
// records (any kind other than 0 is audio, as in the text).
struct ServiceLists {
    std::vector<std::size_t> rows[2];
};

ServiceLists splitByKind(const ChannelDatabase& db) {
    ServiceLists lists;
    const std::size_t total = std::min(db.serviceCount(), db.services.size());
    for (std::size_t row = 0; row < total; ++row) {
        lists.rows[db.services[row].serviceKind == 0 ? 0 : 1].push_back(row);
    }
    return lists;
}

// The list slot of each service of a list, or a refusal when the model cannot hold the list.
std::vector<std::uint32_t> assignSlots(const ChannelDatabase& db, const std::vector<std::size_t>& rows,
                                       std::uint8_t modelCode, const LayoutParameters& layout, const char* which) {
    const std::uint32_t firstUnnumbered = modelRulesFor(modelCode).firstUnnumberedSlot;
    std::vector<std::uint32_t> slots;
    std::vector<bool> taken(layout.listSlots, false);
    std::uint32_t nextUnnumbered = firstUnnumbered;
    for (std::size_t n = 0; n < rows.size(); ++n) {
        const bool numbered = firstUnnumbered == 0 || db.services[rows[n]].channelNumber != 0;
        const std::uint32_t slot = numbered ? static_cast<std::uint32_t>(n) : nextUnnumbered++;
        if (slot >= layout.listSlots) {
            throw ConversionError(std::string("the ") + which + " list of model " + std::to_string(modelCode) +
                                  " has " + std::to_string(layout.listSlots) + " slots; service " +
                                  std::to_string(n + 1) + " (\"" + db.services[rows[n]].svcName +
                                  "\") would need slot " + std::to_string(slot));
        }
        if (taken[slot]) {
            throw ConversionError(std::string("the ") + which + " service " + std::to_string(n + 1) + " (\"" +
                                  db.services[rows[n]].svcName + "\") falls on list slot " + std::to_string(slot) +
                                  ", which an unnumbered service of model " + std::to_string(modelCode) +
                                  " already holds");
        }
        taken[slot] = true;
        slots.push_back(slot);
    }
    return slots;
}

class ServiceImageBuilder {
public:
    ServiceImageBuilder(const ChannelDatabase& db, std::uint8_t modelCode)
        : db_(db),
          modelCode_(modelCode),
          layout_(layoutFor(modelCode)),
          rules_(modelRulesFor(modelCode)),
          index_(layout_.indexRegionOffset),
          image_(maxServiceAreaSize),
          lists_(splitByKind(db)) {}

    Image build() {
        checkCapacity();
        const auto videoSlots = assignSlots(db_, lists_.rows[0], modelCode_, layout_, "video");
        const auto audioSlots = assignSlots(db_, lists_.rows[1], modelCode_, layout_, "audio");
        fill();
        putServiceRecords();
        for (const std::uint32_t marker : bankMarkers) {
            putWord(bankMarkerValue, image_, marker);
        }
        putTransportStreams();
        putProviders();
        putNetworks();
        putServiceList(layout_.videoListOffset, videoSlots, 0);
        putServiceList(layout_.audioListOffset, audioSlots, lists_.rows[0].size());
        putRecordLists();
        putFavourites();
        putAllocationBlockAndBankTable();
        putChecksums();
        std::copy_n(image_.begin() + index_, 0x10000, image_.begin() + index_ + 0x10000);
        image_.resize(layout_.serviceAreaSize);
        return std::move(image_);
    }

private:
    std::uint32_t tsRegionAddress(std::uint32_t offset) const {
        return layout_.serviceBase + layout_.tsRegionOffset + offset;
    }

    void checkCapacity() const {
        const std::size_t total = lists_.rows[0].size() + lists_.rows[1].size();
        if (total > layout_.serviceCapacity()) {
            throw ConversionError("the list holds " + std::to_string(total) + " services; the " +
                                  std::to_string(layout_.serviceBanks) + " service banks of model " +
                                  std::to_string(modelCode_) + " hold at most " +
                                  std::to_string(layout_.serviceCapacity()));
        }
        if (db_.tsCount > tsCapacity || db_.providerCount > providerCapacity || db_.networkCount > networkCapacity) {
            throw ConversionError("the TS, network or provider count exceeds its table");
        }
    }

    void fill() {
        // The service banks and the TS region read as erased flash; the index region and its
        // copy start as zeros, except past the favourite lists.
        const std::size_t ffEnd = layout_.indexRegionOffset;
        std::fill(image_.begin(), image_.begin() + ffEnd, 0xFF);
        std::fill(image_.begin() + ffEnd, image_.end(), 0x00);
        std::fill(image_.begin() + ffEnd + 0xA8D2, image_.begin() + ffEnd + 0x10000, 0xFF);
    }

    void putServiceRecords() {
        std::uint32_t p = 0;
        for (std::uint8_t g = 0; g < 2; ++g) {
            putLong(static_cast<std::uint32_t>(lists_.rows[g].size()), image_,
                    index_ + (g == 0 ? layout_.videoListOffset : layout_.audioListOffset));
            for (const std::size_t row : lists_.rows[g]) {
                putServiceRecord(db_.services[row], g, layout_.serviceRecordOffset(p++));
            }
        }
    }

    void putServiceRecord(const ServiceRecord& s, std::uint8_t g, std::size_t at) {
        namespace f = servicerecord;
        putWord(s.svcWordA, image_, at + f::wordA);
        putWord(s.svcWordB, image_, at + f::wordB);
        putWord(s.svcWordC, image_, at + f::wordC);
        putWord(s.svcWordD, image_, at + f::wordD);
        putWord(0x2000, image_, at + f::wordE);
        putWord(0x2000, image_, at + f::wordF);
        putWord(s.svcWordG, image_, at + f::wordG);
        putByte(g, image_, at + f::kind);
        std::uint32_t flags = rules_.keepsFourBitValue ? (s.svcNibble & 0x0Fu) * 16u : 0u;
        flags |= s.svcFlag3 != 0 ? 8u : 0u;
        flags |= 4u;
        flags |= s.svcFlag1 != 0 ? 2u : 0u;
        flags |= s.svcFlag0 != 0 ? 1u : 0u;
        putByte(flags, image_, at + f::flags);
        putByte(0xFF, image_, at + f::byteA);
        putByte(0xFF, image_, at + f::byteB);
        putWord(rules_.keepsChannelNumber ? s.channelNumber : 0u, image_, at + f::channelNumber);
        putLong(tsRegionAddress(tsRecordSize * s.tsIndex), image_, at + f::tsAddress);
        putLong(tsRegionAddress(providerRecordsOffset + providerRecordSize * s.providerIndex), image_,
                at + f::providerAddress);
        putName(s.svcName, image_, at + f::name, layout_.serviceNameLength);
    }

    void putTransportStreams() {
        putWord(db_.tsCount, image_, index_ + layout_.tsListOffset);
        for (std::size_t i = 0; i < db_.tsCount; ++i) {
            namespace f = tsrecord;
            const TsRecord& t = db_.transportStreams[i];
            const std::size_t at = layout_.tsRegionOffset + tsRecordSize * i;
            putWord(t.tsWordA, image_, at + f::wordA);
            putWord(t.tsWordB, image_, at + f::wordB);
            putWord(t.tsWordC, image_, at + f::wordC);
            putLong(tsRegionAddress(networkRecordsOffset + networkRecordSize * t.networkIndex), image_,
                    at + f::networkAddress);
            putLong(t.tsLongA, image_, at + f::longA);
            putLong(t.tsLongB, image_, at + f::longB);
            putWord(t.tsWordD, image_, at + f::wordD);
            putByte(t.tsByteA, image_, at + f::byteA);
            putByte(t.tsByteB, image_, at + f::byteB);
            putWord(t.tsWordE, image_, at + f::wordE);
        }
    }

    void putProviders() {
        putWord(db_.providerCount, image_, index_ + layout_.providerListOffset);
        for (std::size_t i = 0; i < db_.providerCount; ++i) {
            putName(db_.providers[i].provName, image_,
                    layout_.tsRegionOffset + providerRecordsOffset + providerRecordSize * i + providerrecord::name,
                    shortNameLength);
        }
    }

    void putNetworks() {
        putWord(db_.networkCount, image_, index_ + layout_.networkListOffset);
        for (std::size_t i = 0; i < db_.networkCount; ++i) {
            const NetworkRecord& n = db_.networks[i];
            const std::size_t at = layout_.tsRegionOffset + networkRecordsOffset + networkRecordSize * i;
            putWord(n.netWordA, image_, at + networkrecord::wordA);
            putWord(n.netWordB, image_, at + networkrecord::wordB);
            putName(n.netName, image_, at + networkrecord::name, shortNameLength);
        }
    }

    // positionBase: the record position of the list's first service (audio records follow video).
    void putServiceList(std::size_t listOffset, const std::vector<std::uint32_t>& slots, std::size_t positionBase) {
        for (std::size_t n = 0; n < slots.size(); ++n) {
            const auto position = static_cast<std::uint32_t>(positionBase + n);
            putLong(layout_.serviceBase + layout_.serviceRecordOffset(position), image_,
                    index_ + listOffset + 4 + 4 * std::size_t{slots[n]});
        }
    }

    void putRecordLists() {
        for (std::size_t i = 0; i < db_.tsCount; ++i) {
            putLong(tsRegionAddress(tsRecordSize * i), image_, index_ + layout_.tsListOffset + 4 + 4 * i);
        }
        for (std::size_t i = 0; i < db_.providerCount; ++i) {
            putLong(tsRegionAddress(providerRecordsOffset + providerRecordSize * i), image_,
                    index_ + layout_.providerListOffset + 4 + 4 * i);
        }
        for (std::size_t i = 0; i < db_.networkCount; ++i) {
            putLong(tsRegionAddress(networkRecordsOffset + networkRecordSize * i), image_,
                    index_ + layout_.networkListOffset + 4 + 4 * i);
        }
    }

    void putFavourites() {
        for (std::size_t g = 0; g < favouriteGroupCount; ++g) {
            for (std::size_t l = 0; l < layout_.favouriteListCount; ++l) {
                const std::size_t at = index_ + layout_.favouriteListsOffset + (l * 2 + g) * favouriteListBytes;
                putLong(db_.favCount[g][l], image_, at);
                for (std::size_t e = 0; e < favouriteEntryCapacity; ++e) {
                    putWord(db_.favEntry[g][l][e], image_, at + 4 + 2 * e);
                }
            }
        }
    }

    // Two bits per record slot, four slots to a byte, first slot in the top bits:
    // 01 free, 10 in use.
    static void markInUse(Image& block, std::size_t start, std::size_t slot) {
        std::uint8_t& byte = block[start + slot / 4];
        const unsigned shift = 6 - 2 * (slot % 4);
        byte = static_cast<std::uint8_t>((byte & ~(3u << shift)) | (2u << shift));
    }

    void putAllocationBlockAndBankTable() {
        Image block(layout_.allocationBlockSize, 0x55);
        const std::size_t banks = layout_.serviceBanks;
        const std::size_t total = lists_.rows[0].size() + lists_.rows[1].size();
        const std::size_t full = total / layout_.recordsPerBank;
        for (std::size_t k = 0; k < banks; ++k) {
            block[k] = k < full ? 2 : 1;
        }
        for (std::size_t r = 0; r < total; ++r) {
            markInUse(block, banks + (r / layout_.recordsPerBank) * layout_.allocationStride,
                      r % layout_.recordsPerBank);
        }
        const std::size_t tsStart = banks * (1 + layout_.allocationStride);
        for (std::size_t i = 0; i < db_.tsCount; ++i) {
            markInUse(block, tsStart, i);
        }
        for (std::size_t i = 0; i < db_.providerCount; ++i) {
            markInUse(block, tsStart + 250, i);
        }
        for (std::size_t i = 0; i < db_.networkCount; ++i) {
            markInUse(block, tsStart + 375, i);
        }
        std::copy(block.begin(), block.end(), image_.begin() + index_ + 20);
        std::copy_n(layout_.bankTable.begin(), layout_.bankTableLength, image_.begin() + index_ + 20 + block.size());
    }

    void putChecksums() {
        const auto covered = indexChecksumsOf(layout_);
        for (std::size_t i = 0; i < covered.size(); ++i) {
            putWord(offsetChecksum(range(image_, index_ + covered[i].offset, covered[i].length)), image_,
                    index_ + 2 * i);
        }
    }

    const ChannelDatabase& db_;
    std::uint8_t modelCode_;
    const LayoutParameters& layout_;
    const ModelRules& rules_;
    std::size_t index_;
    Image image_;
    ServiceLists lists_;
};

}  // namespace

std::vector<std::uint8_t> buildConfigImage(const ChannelDatabase& db, std::uint8_t configVariant,
                                           std::uint8_t modelCode) {
    checkModel(modelCode);
    const LayoutParameters& layout = layoutFor(modelCode);
    const ConfigLayout& config = configLayoutFor(configVariant);
    Image c(configAreaSize, 0);
    putMenu(db.menu, config, c);
    putWord(crc16(range(c, menublock::headerChecksumFrom, config.headerChecksumLength)), c,
            menublock::headerChecksum);
    putAntennas(db, layout.antennaBlockOffset, c);
    for (const configarea::ChecksummedRange& guarded : configarea::checksummedRanges) {
        putWord(crc16(range(c, guarded.from, guarded.length)), c, guarded.checksumAt);
    }
    putWord(antennablock::markerValue, c, layout.antennaBlockOffset + antennablock::marker);
    putWord(crc16(range(c, layout.antennaBlockOffset + antennablock::records, antennaCount * antennaRecordSize)), c,
            layout.antennaBlockOffset + antennablock::checksum);
    putWord(offsetChecksum(range(c, 0, configarea::offsetChecksumAt)), c, configarea::offsetChecksumAt);
    return c;
}

std::vector<std::uint8_t> buildServiceImage(const ChannelDatabase& db, std::uint8_t modelCode) {
    checkModel(modelCode);
    return ServiceImageBuilder(db, modelCode).build();
}

void writeImageFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    safewrite::writeFileSafely(path, bytes);
}

}  // namespace bv3::channeldb
