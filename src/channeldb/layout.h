#pragma once
// The receiver models' memory maps: where the configuration area and the service area keep
// each table, and how big they are. The raw reader and the raw writer both lay out from here.

#include <array>
#include <cstddef>
#include <cstdint>

namespace bv3::channeldb {

inline constexpr std::size_t configAreaSize = 8192;
// The largest service area of any model (three service banks, TS region, index region, copy).
inline constexpr std::size_t maxServiceAreaSize = 0x60000;
inline constexpr std::uint8_t highestModelCode = 5;

struct LayoutParameters {
    std::uint32_t serviceBase;  // receiver address of service area byte 0
    std::uint32_t serviceBanks;
    std::uint32_t serviceRecordSize;
    std::uint32_t recordsPerBank;
    std::uint32_t serviceNameLength;  // name field size in a service record
    std::uint32_t listSlots;          // slots of the video list and of the audio list
    std::uint32_t favouriteListCount;
    std::uint32_t antennaBlockOffset;  // in the configuration area
    std::uint32_t tsRegionOffset;
    std::uint32_t indexRegionOffset;
    std::uint32_t allocationBlockSize;
    std::uint32_t bankTableLength;
    std::uint32_t serviceAreaSize;
    std::uint32_t uploadedServiceOffset;  // file offset of the service area in an uploaded image
    std::uint32_t allocationStride;       // bytes of slot states per service bank
    // Offsets inside the index region.
    std::uint32_t bankTableOffset;
    std::uint32_t videoListOffset;
    std::uint32_t audioListOffset;
    std::uint32_t providerListOffset;
    std::uint32_t networkListOffset;
    std::uint32_t tsListOffset;
    std::uint32_t favouriteListsOffset;
    std::array<std::uint8_t, 10> bankTable;

    constexpr std::uint32_t listSize() const { return 4 + 4 * listSlots; }
    constexpr std::uint32_t serviceCapacity() const { return serviceBanks * recordsPerBank; }
    // Service-area offset of the record at position p (records run bank after bank).
    constexpr std::uint32_t serviceRecordOffset(std::uint32_t p) const {
        return (p / recordsPerBank) * 0x10000 + (p % recordsPerBank) * serviceRecordSize;
    }
};

// Offsets of the TS region's three record tables.
inline constexpr std::uint32_t tsRecordSize = 28;
inline constexpr std::uint32_t providerRecordSize = 20;
inline constexpr std::uint32_t networkRecordSize = 24;
inline constexpr std::uint32_t providerRecordsOffset = 28000;
inline constexpr std::uint32_t networkRecordsOffset = 38000;
inline constexpr std::uint32_t shortNameLength = 20;  // provider and network name fields
inline constexpr std::uint32_t favouriteListBytes = 204;
inline constexpr std::uint32_t antennaRecordSize = 28;
// The provider, network and TS lists of the index region: a word count, two spare bytes and
// one address for each record the table can hold.
inline constexpr std::uint32_t providerListBytes = 2004;
inline constexpr std::uint32_t networkListBytes = 2004;
inline constexpr std::uint32_t tsListBytes = 4004;

// The layout of modelCode. Codes above 5 get the parameters of model 1, as the receiver
// software does; the conversions refuse such codes before they lay anything out.
const LayoutParameters& layoutFor(std::uint8_t modelCode);

// What a model does with its services beyond where it keeps them: how its lists place the
// services and which fields of a service record it keeps.
struct ModelRules {
    // The list slot from which services without a channel number sit, in list order; 0 when
    // every service sits at its own position.
    std::uint32_t firstUnnumberedSlot;
    // The n-th service of a list is the one in the n-th non-empty slot (else the n-th slot, or
    // from firstUnnumberedSlot on for a service without a number).
    bool listsSkipEmptySlots;
    bool keepsChannelNumber;  // the service record holds the channel number
    bool keepsFourBitValue;   // the service record holds the 0-to-15 value in its flags byte
    bool numbersPdmServices;  // the receiver numbers the services of the provider "PDM" itself
};

// The rules of modelCode; codes above 5 get those of model 1, like their layout.
const ModelRules& modelRulesFor(std::uint8_t modelCode);

// True for the models this system knows (0 to 5).
constexpr bool isKnownModel(std::uint8_t modelCode) {
    return modelCode <= highestModelCode;
}

}  // namespace bv3::channeldb
