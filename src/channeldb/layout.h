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

// The layout of modelCode. Codes above 5 get the parameters of model 1, as the receiver
// software does; the conversions refuse such codes before they lay anything out.
const LayoutParameters& layoutFor(std::uint8_t modelCode);

// True for the models this system knows (0 to 5).
constexpr bool isKnownModel(std::uint8_t modelCode) {
    return modelCode <= highestModelCode;
}

// Configuration-area offsets of the menu blocks that move with configVariant.
constexpr std::uint32_t menuBlockOffsetB(std::uint8_t configVariant) {
    return configVariant == 4 ? 60 : 48;
}
constexpr bool hasMenuExtras(std::uint8_t configVariant) {
    return configVariant != 2 && configVariant != 5;
}
constexpr std::uint32_t menuBlockOffsetC(std::uint8_t configVariant) {
    return menuBlockOffsetB(configVariant) + (hasMenuExtras(configVariant) ? 40 : 26);
}

}  // namespace bv3::channeldb
