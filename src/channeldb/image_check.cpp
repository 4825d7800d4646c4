#include "channeldb/image_check.h"

#include "channeldb/channel_database.h"
#include "channeldb/config_area.h"
#include "channeldb/conversion_error.h"
#include "channeldb/field_codec.h"
#include "channeldb/layout.h"
#include "channeldb/qnf_names.h"
#include "channeldb/raw_reader.h"
#include "channeldb/record_layout.h"
#include "channeldb/uploaded_image.h"

#include <algorithm>
#include <memory>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace bv3::channeldb {

namespace {

using Bytes = std::span<const std::uint8_t>;

std::string hex(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string hexWord(std::uint16_t value) {
    return hex(value, 4);
}

// A record table of the TS region: where it starts, its record size and how many it holds.
struct RecordTable {
    const char* name;
    std::uint32_t start;  // service-area offset
    std::uint32_t recordSize;
    std::uint32_t capacity;
};

class UploadedImageChecker {
public:
    UploadedImageChecker(Bytes file, std::uint8_t configVariant, std::uint8_t modelCode)
        : file_(file),
          configLayout_(configLayoutFor(configVariant)),
          modelCode_(modelCode),
          layout_(layoutFor(modelCode)),
          rules_(modelRulesFor(modelCode)) {}

    CheckReport run() {
        checkSize();
        checkConfigurationArea();
        checkMarkers();
        checkIndexChecksums();
        checkIndexCopy();
        // The record lists first: the services and TS records refer to them.
        tsAddresses_ = checkRecordList(tsTable(), layout_.tsListOffset, report_.counts.transportStreams);
        providerAddresses_ = checkRecordList(providerTable(), layout_.providerListOffset, report_.counts.providers);
        networkAddresses_ = checkRecordList(networkTable(), layout_.networkListOffset, report_.counts.networks);
        checkTsReferences();
        checkServiceLists();
        checkFavourites();
        return std::move(report_);
    }

private:
    // ---- access to the file ----

    // File offset of a service-area offset.
    std::size_t fileOffset(std::size_t serviceOffset) const { return layout_.uploadedServiceOffset + serviceOffset; }
    std::size_t indexOffset(std::size_t offset) const { return fileOffset(layout_.indexRegionOffset + offset); }

    // The receiver's plain bytes of a file range; bytes beyond the file read as 0, as the
    // reader takes them.
    std::vector<std::uint8_t> plainBytes(std::size_t at, std::size_t length) const {
        std::vector<std::uint8_t> bytes(length, 0);
        for (std::size_t i = 0; i < length; ++i) {
            bytes[i] = getComplementedByte(file_, at + i);
        }
        return bytes;
    }

    void add(Severity severity, std::size_t offset, const std::string& region, const std::string& message) {
        report_.findings.push_back({severity, "offset " + hex(offset, 5) + " (" + region + ")", message, offset, {}, {}});
    }
    void error(std::size_t offset, const std::string& region, const std::string& message) {
        add(Severity::Error, offset, region, message);
    }

    // A checksum word at checksumAt over length bytes from coveredAt (file offsets).
    void checkChecksum(std::size_t checksumAt, std::size_t coveredAt, std::size_t length, bool offsetChecksumKind,
                       const std::string& region) {
        const auto bytes = plainBytes(coveredAt, length);
        const std::uint16_t expected = offsetChecksumKind ? offsetChecksum(bytes) : crc16(bytes);
        const std::uint16_t stored = getComplementedWord(file_, checksumAt);
        if (stored != expected) {
            error(checksumAt, region,
                  "checksum " + hexWord(stored) + " does not match the " + std::to_string(length) +
                      " bytes it covers (" + hex(coveredAt, 5) + " to " + hex(coveredAt + length - 1, 5) + " give " +
                      hexWord(expected) + ")");
        }
    }

    // ---- whole file ----

    void checkSize() {
        if (file_.size() < uploadedImageSize) {
            error(file_.size(), "end of file",
                  "the file holds " + std::to_string(file_.size()) + " bytes; an upload holds " +
                      std::to_string(uploadedImageSize) + " (the rest reads as erased memory)");
        } else if (file_.size() > uploadedImageSize) {
            add(Severity::Warning, uploadedImageSize, "end of upload",
                "the file holds " + std::to_string(file_.size() - uploadedImageSize) +
                    " bytes more than an upload; they are not read");
        }
    }

    // ---- configuration area ----

    void checkConfigurationArea() {
        checkChecksum(menublock::headerChecksum, menublock::headerChecksumFrom, configLayout_.headerChecksumLength,
                      false, "configuration area, header checksum");
        for (const configarea::ChecksummedRange& guarded : configarea::checksummedRanges) {
            checkChecksum(guarded.checksumAt, guarded.from, guarded.length, false,
                          "configuration area, checksum of " + std::to_string(guarded.from) + " to " +
                              std::to_string(guarded.last()));
        }
        const std::size_t antennas = layout_.antennaBlockOffset;
        const std::uint16_t marker = getComplementedWord(file_, antennas + antennablock::marker);
        if (marker != antennablock::markerValue) {
            error(antennas + antennablock::marker, "configuration area, antenna block marker",
                  "marker " + hexWord(marker) + " where the receiver expects " + hexWord(antennablock::markerValue));
        }
        checkChecksum(antennas + antennablock::checksum, antennas + antennablock::records,
                      antennaCount * antennaRecordSize, false, "configuration area, antenna block checksum");
        checkChecksum(configarea::offsetChecksumAt, 0, configarea::offsetChecksumAt, true,
                      "configuration area, last word");
    }

    // ---- service area ----

    std::string regionOf(std::uint32_t serviceOffset) const {
        const std::uint32_t bank = serviceOffset / 0x10000;
        if (bank < layout_.serviceBanks) {
            return "service bank " + std::to_string(bank);
        }
        if (serviceOffset / 0x10000 == layout_.tsRegionOffset / 0x10000) {
            return "TS region";
        }
        if (serviceOffset / 0x10000 == layout_.indexRegionOffset / 0x10000) {
            return "index region";
        }
        return "copy of the index region";
    }

    void checkMarkers() {
        for (const std::uint32_t at : bankMarkers) {
            const std::uint16_t marker = getComplementedWord(file_, fileOffset(at));
            if (marker != bankMarkerValue) {
                error(fileOffset(at), regionOf(at) + ", marker",
                      "marker " + hexWord(marker) + " where the receiver expects " + hexWord(bankMarkerValue));
            }
        }
    }

    void checkIndexChecksums() {
        const auto covered = indexChecksumsOf(layout_);
        for (std::size_t i = 0; i < covered.size(); ++i) {
            checkChecksum(indexOffset(2 * i), indexOffset(covered[i].offset), covered[i].length, true,
                          std::string("index region, checksum of the ") + covered[i].name);
        }
    }

    void checkIndexCopy() {
        const auto index = plainBytes(indexOffset(0), 0x10000);
        const auto copy = plainBytes(indexOffset(0x10000), 0x10000);
        std::size_t differing = 0;
        std::size_t first = 0;
        for (std::size_t i = 0; i < index.size(); ++i) {
            if (index[i] != copy[i] && differing++ == 0) {
                first = i;
            }
        }
        if (differing != 0) {
            error(indexOffset(0x10000 + first), "copy of the index region",
                  std::to_string(differing) + " byte(s) differ from the index region, the first at index offset " +
                      std::to_string(first));
        }
    }

    // ---- record lists and references ----

    RecordTable tsTable() const { return {"TS", layout_.tsRegionOffset, tsRecordSize, tsCapacity}; }
    RecordTable providerTable() const {
        return {"provider", layout_.tsRegionOffset + providerRecordsOffset, providerRecordSize, providerCapacity};
    }
    RecordTable networkTable() const {
        return {"network", layout_.tsRegionOffset + networkRecordsOffset, networkRecordSize, networkCapacity};
    }

    std::uint32_t serviceOffsetOf(std::uint32_t address) const { return imageOffset(address, layout_.serviceBase); }

    bool isRecordOf(const RecordTable& table, std::uint32_t address) const {
        const std::uint32_t offset = serviceOffsetOf(address);
        if (offset < table.start) {
            return false;
        }
        const std::uint32_t relative = offset - table.start;
        return relative % table.recordSize == 0 && relative / table.recordSize < table.capacity;
    }

    bool isServiceRecord(std::uint32_t address) const {
        const std::uint32_t offset = serviceOffsetOf(address);
        const std::uint32_t bank = offset / 0x10000;
        const std::uint32_t within = offset % 0x10000;
        return bank < layout_.serviceBanks && within % layout_.serviceRecordSize == 0 &&
               within / layout_.serviceRecordSize < layout_.recordsPerBank;
    }

    // Empty slots where a list's count says records are: reported once per list, at the first.
    struct EmptySlots {
        std::size_t count = 0;
        std::size_t firstOffset = 0;
        std::size_t firstSlot = 0;
        void add(std::size_t offset, std::size_t slot) {
            if (count++ == 0) {
                firstOffset = offset;
                firstSlot = slot;
            }
        }
    };

    void reportEmpty(const EmptySlots& empty, const std::string& region, std::size_t listCount) {
        if (empty.count != 0) {
            error(empty.firstOffset, region + " slot " + std::to_string(empty.firstSlot),
                  std::to_string(empty.count) + " slot(s) the list count of " + std::to_string(listCount) +
                      " takes are empty, the first this one");
        }
    }

    // A TS, provider or network list: its word count within its slots, and every address in
    // use landing on a record of its table. Returns the addresses the list holds.
    std::vector<std::uint32_t> checkRecordList(const RecordTable& table, std::size_t listOffset,
                                               std::uint64_t& counted) {
        const std::size_t at = indexOffset(listOffset);
        const std::uint16_t count = getComplementedWord(file_, at);
        counted = count;
        const std::string region = std::string("index region, ") + table.name + " list";
        if (count > table.capacity) {
            error(
                at, region,
                "count " + std::to_string(count) + " exceeds the list's " + std::to_string(table.capacity) + " slots");
        }
        std::vector<std::uint32_t> addresses;
        EmptySlots empty;
        for (std::size_t i = 0; i < std::min<std::size_t>(count, table.capacity); ++i) {
            const std::uint32_t address = getComplementedLong(file_, at + 4 + 4 * i);
            addresses.push_back(address);
            if (address == 0) {
                empty.add(at + 4 + 4 * i, i);
            } else if (!isRecordOf(table, address)) {
                error(at + 4 + 4 * i, region + " slot " + std::to_string(i),
                      "address " + hex(address, 8) + " is not a " + table.name + " record of the TS region");
            }
        }
        reportEmpty(empty, region, count);
        return addresses;
    }

    static bool holds(const std::vector<std::uint32_t>& addresses, std::uint32_t address) {
        return std::find(addresses.begin(), addresses.end(), address) != addresses.end();
    }

    // A reference resolves when the address stands in a slot of the list; an empty list has
    // nothing to resolve to, and its reader takes row 0 without harm.
    void checkReference(const std::vector<std::uint32_t>& list, const char* what, std::size_t at,
                        const std::string& region) {
        const std::uint32_t address = getComplementedLong(file_, at);
        if (!list.empty() && !holds(list, address)) {
            error(at, region,
                  std::string(what) + " address " + hex(address, 8) + " is in no slot of the " + what + " list");
        }
    }

    void checkTsReferences() {
        const RecordTable table = tsTable();
        for (std::size_t i = 0; i < tsAddresses_.size(); ++i) {
            if (isRecordOf(table, tsAddresses_[i])) {
                const std::size_t at = fileOffset(serviceOffsetOf(tsAddresses_[i]));
                checkReference(networkAddresses_, "network", at + tsrecord::networkAddress,
                               "TS region, TS record of slot " + std::to_string(i));
            }
        }
    }

    // ---- service lists ----

    // The slots holding a list's services in list order, as the receiver's models place them.
    // An empty slot among them is reported; so is a list with fewer services than its count.
    std::vector<std::size_t> usedSlots(std::size_t listAt, std::size_t count, const std::string& region) {
        auto slot = [&](std::size_t s) { return getComplementedLong(file_, listAt + 4 + 4 * s); };
        std::vector<std::size_t> slots;
        if (rules_.listsSkipEmptySlots) {
            for (std::size_t s = 0; s < layout_.listSlots && slots.size() < count; ++s) {
                if (slot(s) != 0) {
                    slots.push_back(s);
                }
            }
            if (slots.size() < count) {
                error(listAt, region,
                      "count " + std::to_string(count) + ", but only " + std::to_string(slots.size()) +
                          " slots hold a service");
            }
            return slots;
        }
        std::size_t emptyBefore = 0;
        EmptySlots empty;
        for (std::size_t n = 0; n < count; ++n) {
            std::size_t s = n;
            if (rules_.firstUnnumberedSlot != 0 && slot(n) == 0) {
                // The services without a number sit from a fixed slot on.
                s = rules_.firstUnnumberedSlot + emptyBefore++;
                if (s >= layout_.listSlots) {
                    error(listAt, region,
                          "service " + std::to_string(n + 1) + " of " + std::to_string(count) +
                              " would sit beyond the list's last slot");
                    break;
                }
            }
            if (slot(s) == 0) {
                empty.add(listAt + 4 + 4 * s, s);
                continue;
            }
            slots.push_back(s);
        }
        reportEmpty(empty, region, count);
        return slots;
    }

    void checkServiceLists() {
        const std::size_t lists[] = {layout_.videoListOffset, layout_.audioListOffset};
        std::uint64_t total = 0;
        for (std::size_t g = 0; g < 2; ++g) {
            const std::size_t at = indexOffset(lists[g]);
            const std::string region = std::string("index region, ") + (g == 0 ? "video" : "audio") + " list";
            const std::uint32_t count = getComplementedLong(file_, at);
            (g == 0 ? report_.counts.videoServices : report_.counts.audioServices) = count;
            total += count;
            if (count > layout_.listSlots) {
                error(at, region,
                      "count " + std::to_string(count) + " exceeds the list's " + std::to_string(layout_.listSlots) +
                          " slots");
            }
            checkSlotAddresses(at, region);
            for (const std::size_t s : usedSlots(at, std::min<std::size_t>(count, layout_.listSlots), region)) {
                const std::uint32_t address = getComplementedLong(file_, at + 4 + 4 * s);
                if (isServiceRecord(address)) {
                    checkServiceRecord(fileOffset(serviceOffsetOf(address)), g, s);
                }
            }
        }
        const std::uint64_t capacity = std::min<std::uint64_t>(layout_.serviceCapacity(), serviceCapacity);
        if (total > capacity) {
            error(indexOffset(layout_.videoListOffset), "index region, service lists",
                  std::to_string(total) + " services in the two lists; model " + std::to_string(modelCode_) +
                      " holds at most " + std::to_string(capacity));
        }
    }

    // Every address in a list, used or not, must land on a service record: the receiver
    // follows any non-empty slot.
    void checkSlotAddresses(std::size_t listAt, const std::string& region) {
        for (std::size_t s = 0; s < layout_.listSlots; ++s) {
            const std::uint32_t address = getComplementedLong(file_, listAt + 4 + 4 * s);
            if (address != 0 && !isServiceRecord(address)) {
                error(listAt + 4 + 4 * s, region + " slot " + std::to_string(s),
                      "address " + hex(address, 8) + " is not a service record of the " +
                          std::to_string(layout_.serviceBanks) + " service banks");
            }
        }
    }

    void checkServiceRecord(std::size_t at, std::size_t group, std::size_t slot) {
        const std::string region = regionOf(static_cast<std::uint32_t>(at - layout_.uploadedServiceOffset)) +
                                   ", service of " + (group == 0 ? "video" : "audio") + " slot " + std::to_string(slot);
        const std::uint8_t kind = getComplementedByte(file_, at + servicerecord::kind);
        if ((kind == 0) != (group == 0)) {
            error(at + servicerecord::kind, region,
                  "kind byte " + std::to_string(kind) + " marks " + (group == 0 ? "an audio" : "a video") +
                      " service in the " + (group == 0 ? "video" : "audio") + " list");
        }
        checkReference(tsAddresses_, "TS", at + servicerecord::tsAddress, region);
        checkReference(providerAddresses_, "provider", at + servicerecord::providerAddress, region);
    }

    // ---- favourites ----

    void checkFavourites() {
        for (std::size_t g = 0; g < favouriteGroupCount; ++g) {
            for (std::size_t l = 0; l < layout_.favouriteListCount; ++l) {
                const std::size_t at = indexOffset(layout_.favouriteListsOffset + (l * 2 + g) * favouriteListBytes);
                const std::uint32_t count = getComplementedLong(file_, at);
                report_.counts.favourites += std::min<std::size_t>(count, favouriteEntryCapacity);
                if (count > favouriteEntryCapacity) {
                    error(at, "index region, favourite list " + std::to_string(g) + "/" + std::to_string(l),
                          "count " + std::to_string(count) + " exceeds the list's " +
                              std::to_string(favouriteEntryCapacity) + " entries");
                }
            }
        }
    }

    Bytes file_;
    const ConfigLayout& configLayout_;
    std::uint8_t modelCode_;
    const LayoutParameters& layout_;
    const ModelRules& rules_;
    CheckReport report_;
    std::vector<std::uint32_t> tsAddresses_;
    std::vector<std::uint32_t> providerAddresses_;
    std::vector<std::uint32_t> networkAddresses_;
};

}  // namespace

CheckReport checkUploadedImage(std::span<const std::uint8_t> file, std::uint8_t configVariant, std::uint8_t modelCode) {
    if (!isKnownModel(modelCode)) {
        throw ConversionError("model code " + std::to_string(modelCode) +
                              " is not a receiver model this system knows (0 to 5)");
    }
    CheckReport report = UploadedImageChecker(file, configVariant, modelCode).run();
    // Names the channel list made of this image cannot carry as they are.
    const auto db = std::make_unique<ChannelDatabase>();
    readRawImage(file, configVariant, modelCode, *db);
    for (Finding& repair : qnfNameRepairs(*db)) {
        report.findings.push_back(std::move(repair));
    }
    return report;
}

}  // namespace bv3::channeldb
