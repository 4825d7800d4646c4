#include "channeldb/raw_reader.h"

#include "channeldb/config_area.h"
#include "channeldb/conversion_error.h"
#include "channeldb/field_codec.h"
#include "channeldb/layout.h"
#include "channeldb/record_layout.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

namespace bv3::channeldb {

namespace {

using Bytes = std::span<const std::uint8_t>;

// The part of the file that holds the service area: from its file offset, at most one full
// service area. A file that ends earlier leaves the rest reading as zeros.
Bytes serviceAreaOf(Bytes file, const LayoutParameters& layout) {
    if (file.size() <= layout.uploadedServiceOffset) {
        return {};
    }
    return file.subspan(layout.uploadedServiceOffset,
                        std::min<std::size_t>(file.size() - layout.uploadedServiceOffset, maxServiceAreaSize));
}

std::string readName(Bytes area, std::size_t position, std::size_t fieldLength) {
    std::string name;
    for (std::size_t i = 0; i < fieldLength; ++i) {
        const std::uint8_t c = getComplementedByte(area, position + i);
        if (c == 0) {
            break;
        }
        name.push_back(static_cast<char>(c));
    }
    return name.empty() ? std::string("(Unknown)") : clipName(name);
}

// A provider, network or TS list: word count, two spare bytes, one address per record.
class RecordList {
public:
    RecordList(Bytes area, std::size_t listOffset, std::size_t capacity) {
        const std::size_t count = std::min<std::size_t>(getComplementedWord(area, listOffset), capacity);
        addresses_.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            addresses_.push_back(getComplementedLong(area, listOffset + 4 + 4 * i));
        }
        // Pointer resolution takes the first slot holding the address.
        for (std::size_t i = addresses_.size(); i-- > 0;) {
            rowOf_[addresses_[i]] = static_cast<std::uint32_t>(i);
        }
    }

    std::size_t count() const { return addresses_.size(); }
    std::uint32_t address(std::size_t row) const { return addresses_[row]; }
    // Row of the first slot holding address; an address in no slot resolves to row 0.
    std::uint32_t rowOf(std::uint32_t address) const {
        const auto found = rowOf_.find(address);
        return found == rowOf_.end() ? 0 : found->second;
    }

private:
    std::vector<std::uint32_t> addresses_;
    std::unordered_map<std::uint32_t, std::uint32_t> rowOf_;
};

class RawImageReader {
public:
    RawImageReader(Bytes file, std::uint8_t configVariant, std::uint8_t modelCode, ChannelDatabase& db)
        : config_(file.first(std::min(file.size(), configAreaSize))),
          area_(serviceAreaOf(file, layoutFor(modelCode))),
          layout_(layoutFor(modelCode)),
          configLayout_(configLayoutFor(configVariant)),
          rules_(modelRulesFor(modelCode)),
          db_(db),
          tsList_(area_, layout_.indexRegionOffset + layout_.tsListOffset, tsCapacity),
          providerList_(area_, layout_.indexRegionOffset + layout_.providerListOffset, providerCapacity),
          networkList_(area_, layout_.indexRegionOffset + layout_.networkListOffset, networkCapacity) {}

    void run() {
        readServices();
        readProviders();
        readNetworks();
        readTransportStreams();
        readFavourites();
        if (rules_.numbersPdmServices) {
            numberPdmServices();
        }
        readMenu();
        readAntennas();
    }

private:
    std::uint32_t offsetOf(std::uint32_t address) const { return imageOffset(address, layout_.serviceBase); }

    // The slots of a service list holding its services in list order, clipped to the slots
    // the list has and to the rows the table has left.
    std::vector<std::uint32_t> serviceSlots(std::size_t listOffset, std::size_t rowsLeft) const {
        const std::size_t stated = getComplementedLong(area_, listOffset);
        const std::size_t count = std::min({stated, std::size_t{layout_.listSlots}, rowsLeft});
        auto slot = [&](std::size_t s) { return getComplementedLong(area_, listOffset + 4 + 4 * s); };
        std::vector<std::uint32_t> addresses;
        addresses.reserve(count);
        if (rules_.listsSkipEmptySlots) {
            // The n-th service is the n-th non-empty slot.
            for (std::size_t s = 0; s < layout_.listSlots && addresses.size() < count; ++s) {
                if (slot(s) != 0) {
                    addresses.push_back(slot(s));
                }
            }
        } else if (rules_.firstUnnumberedSlot != 0) {
            // Numbered services sit at their own position, the others from a fixed slot on.
            std::size_t emptyBefore = 0;
            for (std::size_t n = 0; n < count; ++n) {
                const std::uint32_t own = slot(n);
                if (own != 0) {
                    addresses.push_back(own);
                    continue;
                }
                const std::size_t spare = rules_.firstUnnumberedSlot + emptyBefore++;
                if (spare >= layout_.listSlots) {
                    break;
                }
                addresses.push_back(slot(spare));
            }
        } else {
            for (std::size_t n = 0; n < count; ++n) {
                addresses.push_back(slot(n));
            }
        }
        return addresses;
    }

    void readServiceRecord(std::uint32_t address, ServiceRecord& s) const {
        namespace f = servicerecord;
        const std::size_t at = offsetOf(address);
        s.svcWordA = getComplementedWord(area_, at + f::wordA);
        s.svcWordB = getComplementedWord(area_, at + f::wordB);
        s.svcWordC = getComplementedWord(area_, at + f::wordC);
        s.svcWordD = getComplementedWord(area_, at + f::wordD);
        s.svcWordE = getComplementedWord(area_, at + f::wordE);
        s.svcWordF = getComplementedWord(area_, at + f::wordF);
        s.svcWordG = getComplementedWord(area_, at + f::wordG);
        s.serviceKind = getComplementedByte(area_, at + f::kind);
        const std::uint8_t flags = getComplementedByte(area_, at + f::flags);
        s.svcNibble = static_cast<std::uint8_t>(flags >> 4);
        s.svcFlag3 = (flags >> 3) & 1u;
        s.svcFlag2 = (flags >> 2) & 1u;
        s.svcFlag1 = (flags >> 1) & 1u;
        s.svcFlag0 = flags & 1u;
        s.svcByteA = getComplementedByte(area_, at + f::byteA);
        s.svcByteB = getComplementedByte(area_, at + f::byteB);
        s.channelNumber = getComplementedWord(area_, at + f::channelNumber);
        s.tsIndex = tsList_.rowOf(getComplementedLong(area_, at + f::tsAddress));
        s.providerIndex = providerList_.rowOf(getComplementedLong(area_, at + f::providerAddress));
        s.svcName = readName(area_, at + f::name, layout_.serviceNameLength);
    }

    void readServices() {
        const std::size_t index = layout_.indexRegionOffset;
        const auto video = serviceSlots(index + layout_.videoListOffset, serviceCapacity);
        for (std::size_t n = 0; n < video.size(); ++n) {
            readServiceRecord(video[n], db_.services[n]);
        }
        db_.videoCount = static_cast<std::uint16_t>(video.size());
        const auto audio = serviceSlots(index + layout_.audioListOffset, serviceCapacity - video.size());
        for (std::size_t n = 0; n < audio.size(); ++n) {
            readServiceRecord(audio[n], db_.services[video.size() + n]);
        }
        db_.audioCount = static_cast<std::uint16_t>(audio.size());
    }

    void readProviders() {
        for (std::size_t i = 0; i < providerList_.count(); ++i) {
            db_.providers[i].provName =
                readName(area_, offsetOf(providerList_.address(i)) + providerrecord::name, shortNameLength);
        }
        db_.providerCount = static_cast<std::uint16_t>(providerList_.count());
    }

    void readNetworks() {
        for (std::size_t i = 0; i < networkList_.count(); ++i) {
            const std::size_t at = offsetOf(networkList_.address(i));
            NetworkRecord& n = db_.networks[i];
            n.netWordA = getComplementedWord(area_, at + networkrecord::wordA);
            n.netWordB = getComplementedWord(area_, at + networkrecord::wordB);
            n.netName = readName(area_, at + networkrecord::name, shortNameLength);
        }
        db_.networkCount = static_cast<std::uint16_t>(networkList_.count());
    }

    void readTransportStreams() {
        for (std::size_t i = 0; i < tsList_.count(); ++i) {
            namespace f = tsrecord;
            const std::size_t at = offsetOf(tsList_.address(i));
            TsRecord& t = db_.transportStreams[i];
            t.tsWordA = getComplementedWord(area_, at + f::wordA);
            t.tsWordB = getComplementedWord(area_, at + f::wordB);
            t.tsWordC = getComplementedWord(area_, at + f::wordC);
            t.networkIndex = networkList_.rowOf(getComplementedLong(area_, at + f::networkAddress));
            t.tsLongA = getComplementedLong(area_, at + f::longA);
            t.tsLongB = getComplementedLong(area_, at + f::longB);
            t.tsWordD = getComplementedWord(area_, at + f::wordD);
            t.tsByteA = getComplementedByte(area_, at + f::byteA);
            t.tsByteB = getComplementedByte(area_, at + f::byteB);
            t.tsWordE = getComplementedWord(area_, at + f::wordE);
        }
        db_.tsCount = static_cast<std::uint16_t>(tsList_.count());
    }

    void readFavourites() {
        for (std::size_t g = 0; g < favouriteGroupCount; ++g) {
            for (std::size_t l = 0; l < layout_.favouriteListCount; ++l) {
                const std::size_t at =
                    layout_.indexRegionOffset + layout_.favouriteListsOffset + (l * 2 + g) * favouriteListBytes;
                const std::size_t count =
                    std::min<std::size_t>(getComplementedLong(area_, at) & 0xFFFFu, favouriteEntryCapacity);
                for (std::size_t e = 0; e < count; ++e) {
                    db_.favEntry[g][l][e] = getComplementedWord(area_, at + 4 + 2 * e);
                }
                db_.favCount[g][l] = static_cast<std::uint16_t>(count);
            }
        }
    }

    // Model 3 receivers number the services of the provider "PDM" themselves, video and
    // audio separately, in table order.
    void numberPdmServices() {
        std::size_t pdm = 0;
        while (pdm < db_.providerCount && db_.providers[pdm].provName != "PDM") {
            ++pdm;
        }
        if (pdm == db_.providerCount) {
            return;
        }
        std::uint16_t nextVideo = 1;
        std::uint16_t nextAudio = 1;
        for (std::size_t row = 0; row < db_.serviceCount(); ++row) {
            ServiceRecord& s = db_.services[row];
            if (s.providerIndex == pdm) {
                s.channelNumber = s.serviceKind == 0 ? nextVideo++ : nextAudio++;
            }
        }
    }

    void readMenu() {
        namespace f = menublock;
        const Bytes c = config_;
        MenuRecord& m = db_.menu;
        m.menuHeaderWord = getComplementedWord(c, f::headerWord);
        m.menuChecksumWord = getComplementedWord(c, f::headerChecksum);
        m.menuValue1 = getComplementedByte(c, f::value1);
        m.menuValue2 = getComplementedByte(c, f::value2);
        m.menuValue3 = getComplementedByte(c, f::value3);
        m.menuValue4 = getComplementedByte(c, f::value4);
        const int minutes = static_cast<std::int16_t>(getComplementedWord(c, configarea::menuValue5Minutes));
        m.menuValue5 = (minutes / 60) * 100 + minutes % 60;
        m.menuValue6 = static_cast<std::int32_t>(getComplementedLong(c, f::value6));
        m.menuValue7 = getComplementedByte(c, configarea::menuValue7Copy);
        m.menuValue8 = static_cast<std::uint8_t>(getComplementedByte(c, configarea::menuValue8Copy) >> 4);
        readMenuCode(getComplementedByte(c, configarea::menuCodeCopy), getComplementedByte(c, f::value10));
        std::uint8_t* const bytes11to22[] = {&m.menuValue11, &m.menuValue12, &m.menuValue13, &m.menuValue14,
                                             &m.menuValue15, &m.menuValue16, &m.menuValue17, &m.menuValue18,
                                             &m.menuValue19, &m.menuValue20, &m.menuValue21, &m.menuValue22};
        for (std::size_t i = 0; i < std::size(bytes11to22); ++i) {
            *bytes11to22[i] = getComplementedByte(c, f::values11to22 + i);
        }
        m.menuValue23 = getComplementedByte(c, configarea::menuValue23Copy);
        m.menuValue24 = getComplementedByte(c, configarea::menuValue24Copy);
        m.menuValue25 = static_cast<std::int8_t>(getComplementedByte(c, configarea::menuValue25Copy));
        m.menuValue26 = getComplementedByte(c, f::value26);
        m.menuValue27 = static_cast<std::int16_t>(getComplementedWord(c, f::value27));
        m.menuValue28 = static_cast<std::int32_t>(getComplementedLong(c, f::value28));
        m.menuValue29 = static_cast<std::int32_t>(getComplementedLong(c, f::value29));
        const std::size_t b = configLayout_.blockB;
        std::int32_t* const longs[] = {&m.menuValue30, &m.menuValue31, &m.menuValue32, &m.menuValue33, &m.menuValue34};
        for (std::size_t i = 0; i < std::size(longs); ++i) {
            *longs[i] = static_cast<std::int32_t>(getComplementedLong(c, b + f::values30to34 + 4 * i));
        }
        std::uint8_t* const bytes[] = {&m.menuValue35, &m.menuValue36, &m.menuValue37,
                                       &m.menuValue38, &m.menuValue39, &m.menuValue40};
        for (std::size_t i = 0; i < std::size(bytes); ++i) {
            *bytes[i] = getComplementedByte(c, b + f::values35to40 + i);
        }
        if (configLayout_.hasMenuExtras) {
            m.menuExtraByte = getComplementedByte(c, b + f::extraByte);
            m.menuExtraLongA = getComplementedLong(c, b + f::extraLongA);
            m.menuExtraLongB = getComplementedLong(c, b + f::extraLongB);
            m.menuExtraByteA = getComplementedByte(c, b + f::extraByteA);
            m.menuExtraByteB = getComplementedByte(c, b + f::extraByteB);
            m.menuExtraByteC = getComplementedByte(c, b + f::extraByteC);
        }
        std::uint16_t* const words[] = {&m.menuValue41, &m.menuValue42, &m.menuValue43, &m.menuValue44};
        for (std::size_t i = 0; i < std::size(words); ++i) {
            *words[i] = getComplementedWord(c, configLayout_.blockC() + f::values41to44 + 2 * i);
        }
    }

    // The code byte (configarea::menuCodeCopy) packs menuValue9 and menuValue10.
    void readMenuCode(std::uint8_t code, std::uint8_t byte19) {
        MenuRecord& m = db_.menu;
        switch (code) {
            case 0:
                m.menuValue9 = 0, m.menuValue10 = 0;
                break;
            case 1:
                m.menuValue9 = 0, m.menuValue10 = 1;
                break;
            case 0x10:
                m.menuValue9 = 1, m.menuValue10 = 32;
                break;
            case 0x11:
                m.menuValue9 = 1, m.menuValue10 = 48;
                break;
            default:
                m.menuValue9 = code, m.menuValue10 = byte19;
                break;
        }
    }

    void readAntennas() {
        namespace f = antennarecord;
        for (std::size_t i = 0; i < antennaCount; ++i) {
            const std::size_t at = layout_.antennaBlockOffset + antennablock::records + antennaRecordSize * i;
            AntennaRecord& a = db_.antennas[i];
            a.antLong = getComplementedLong(config_, at + f::longValue);
            a.antWordA = getComplementedWord(config_, at + f::wordA);
            a.antWordB = getComplementedWord(config_, at + f::wordB);
            a.antByteA = getComplementedByte(config_, at + f::byteA);
            a.antByteB = getComplementedByte(config_, at + f::byteB);
            a.antByteC = getComplementedByte(config_, at + f::byteC);
            a.antByteD = getComplementedByte(config_, at + f::byteD);
            for (std::size_t k = 0; k < antennaNameLength; ++k) {
                a.antName[k] = static_cast<char>(getComplementedByte(config_, at + f::name + k));
            }
        }
    }

    Bytes config_;
    Bytes area_;
    const LayoutParameters& layout_;
    const ConfigLayout& configLayout_;
    const ModelRules& rules_;
    ChannelDatabase& db_;
    RecordList tsList_;
    RecordList providerList_;
    RecordList networkList_;
};

}  // namespace

void readRawImage(std::span<const std::uint8_t> file, std::uint8_t configVariant, std::uint8_t modelCode,
                  ChannelDatabase& db) {
    if (!isKnownModel(modelCode)) {
        throw ConversionError("model code " + std::to_string(modelCode) +
                              " is not a receiver model this system knows (0 to 5)");
    }
    RawImageReader(file, configVariant, modelCode, db).run();
}

}  // namespace bv3::channeldb
