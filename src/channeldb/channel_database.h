#pragma once
// The channel database: the receiver's channel list and settings for the length of one
// conversion. Records refer to one another by row number; the raw images hold receiver
// addresses instead, and the raw reader and writer translate between the two.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bv3::channeldb {

inline constexpr std::size_t serviceCapacity = 4000;
inline constexpr std::size_t tsCapacity = 1000;
inline constexpr std::size_t networkCapacity = 500;
inline constexpr std::size_t providerCapacity = 500;
inline constexpr std::size_t favouriteGroupCount = 2;  // group 0 video, group 1 audio
inline constexpr std::size_t favouriteListsPerGroup = 4;
inline constexpr std::size_t favouriteEntryCapacity = 100;
inline constexpr std::size_t antennaCount = 16;
inline constexpr std::size_t antennaNameLength = 16;
// Service, network and provider names hold at most this many characters.
inline constexpr std::size_t nameCapacity = 40;

// Keeps the first nameCapacity characters: a longer name cannot be held.
std::string clipName(std::string_view text);

struct ServiceRecord {
    std::uint16_t svcWordA = 0;
    std::uint16_t svcWordB = 0;
    std::uint16_t svcWordC = 0;
    std::uint16_t svcWordD = 0;
    std::uint16_t svcWordE = 0;
    std::uint16_t svcWordF = 0;
    std::uint16_t svcWordG = 0;
    std::uint8_t serviceKind = 0;  // 0 video, 1 audio
    std::uint8_t svcNibble = 0;    // 0..15
    std::uint8_t svcFlag3 = 0;
    std::uint8_t svcFlag2 = 0;
    std::uint8_t svcFlag1 = 0;
    std::uint8_t svcFlag0 = 0;
    std::uint8_t svcByteA = 0;
    std::uint8_t svcByteB = 0;
    std::uint16_t channelNumber = 0;  // 0 = none
    std::uint32_t tsIndex = 0;
    std::uint32_t providerIndex = 0;
    std::string svcName;  // at most nameCapacity characters

    bool operator==(const ServiceRecord&) const = default;
};

struct TsRecord {
    std::uint16_t tsWordA = 0;
    std::uint16_t tsWordB = 0;
    std::uint16_t tsWordC = 0;
    std::uint32_t networkIndex = 0;
    std::uint32_t tsLongA = 0;
    std::uint32_t tsLongB = 0;
    std::uint16_t tsWordD = 0;
    std::uint8_t tsByteA = 0;
    std::uint8_t tsByteB = 0;
    std::uint32_t tsWordE = 0;  // a 16-bit value held in a 32-bit field

    bool operator==(const TsRecord&) const = default;
};

struct NetworkRecord {
    std::uint16_t netWordA = 0;
    std::uint16_t netWordB = 0;
    std::string netName;

    bool operator==(const NetworkRecord&) const = default;
};

struct ProviderRecord {
    std::string provName;

    bool operator==(const ProviderRecord&) const = default;
};

struct AntennaRecord {
    std::uint32_t antLong = 0;
    std::uint16_t antWordA = 0;
    std::uint16_t antWordB = 0;
    std::uint8_t antByteA = 0;
    std::uint8_t antByteB = 0;
    std::uint8_t antByteC = 0;
    std::uint8_t antByteD = 0;
    // Plain bytes, NUL-terminated when shorter than 16; a 16-character name has no NUL.
    std::array<char, antennaNameLength> antName{};

    bool operator==(const AntennaRecord&) const = default;
};

struct MenuRecord {
    std::uint16_t menuHeaderWord = 0;
    std::uint16_t menuChecksumWord = 0;
    std::uint8_t menuValue1 = 0, menuValue2 = 0, menuValue3 = 0, menuValue4 = 0;
    std::int32_t menuValue5 = 0;  // time of day as hours x 100 + minutes, may be negative
    std::int32_t menuValue6 = 0;
    std::uint8_t menuValue7 = 0, menuValue8 = 0, menuValue9 = 0, menuValue10 = 0, menuValue11 = 0, menuValue12 = 0,
                 menuValue13 = 0, menuValue14 = 0, menuValue15 = 0, menuValue16 = 0, menuValue17 = 0, menuValue18 = 0,
                 menuValue19 = 0, menuValue20 = 0, menuValue21 = 0, menuValue22 = 0, menuValue23 = 0, menuValue24 = 0;
    std::int16_t menuValue25 = 0;
    std::uint8_t menuValue26 = 0;
    std::int16_t menuValue27 = 0;
    std::int32_t menuValue28 = 0, menuValue29 = 0, menuValue30 = 0, menuValue31 = 0, menuValue32 = 0, menuValue33 = 0,
                 menuValue34 = 0;
    std::uint8_t menuValue35 = 0, menuValue36 = 0, menuValue37 = 0, menuValue38 = 0, menuValue39 = 0, menuValue40 = 0;
    std::uint8_t menuExtraByte = 0;
    std::uint32_t menuExtraLongA = 0;
    std::uint32_t menuExtraLongB = 0;
    std::uint8_t menuExtraByteA = 0, menuExtraByteB = 0, menuExtraByteC = 0;
    std::uint16_t menuValue41 = 0, menuValue42 = 0, menuValue43 = 0, menuValue44 = 0;

    bool operator==(const MenuRecord&) const = default;
};

inline constexpr std::size_t menuValueCount = 44;

// Calls visit(field) for menuValue1 .. menuValue44 in order: the columns of the [MENU] line.
template <class Menu, class Visit>
void forEachMenuValue(Menu& m, Visit&& visit) {
    visit(m.menuValue1), visit(m.menuValue2), visit(m.menuValue3), visit(m.menuValue4), visit(m.menuValue5);
    visit(m.menuValue6), visit(m.menuValue7), visit(m.menuValue8), visit(m.menuValue9), visit(m.menuValue10);
    visit(m.menuValue11), visit(m.menuValue12), visit(m.menuValue13), visit(m.menuValue14), visit(m.menuValue15);
    visit(m.menuValue16), visit(m.menuValue17), visit(m.menuValue18), visit(m.menuValue19), visit(m.menuValue20);
    visit(m.menuValue21), visit(m.menuValue22), visit(m.menuValue23), visit(m.menuValue24), visit(m.menuValue25);
    visit(m.menuValue26), visit(m.menuValue27), visit(m.menuValue28), visit(m.menuValue29), visit(m.menuValue30);
    visit(m.menuValue31), visit(m.menuValue32), visit(m.menuValue33), visit(m.menuValue34), visit(m.menuValue35);
    visit(m.menuValue36), visit(m.menuValue37), visit(m.menuValue38), visit(m.menuValue39), visit(m.menuValue40);
    visit(m.menuValue41), visit(m.menuValue42), visit(m.menuValue43), visit(m.menuValue44);
}

using FavouriteList = std::array<std::uint16_t, favouriteEntryCapacity>;

// Every table at its full capacity with zeroed records; the counters say how many rows are
// in use. A fresh ChannelDatabase is the zero-filled database of the start of a conversion.
class ChannelDatabase {
public:
    ChannelDatabase();

    std::uint16_t videoCount = 0;
    std::uint16_t audioCount = 0;
    std::uint16_t tsCount = 0;
    std::uint16_t networkCount = 0;
    std::uint16_t providerCount = 0;
    std::array<std::array<std::uint16_t, favouriteListsPerGroup>, favouriteGroupCount> favCount{};

    // Rows 0 .. videoCount-1 are video services, then audioCount audio services.
    std::vector<ServiceRecord> services;     // serviceCapacity rows
    std::vector<TsRecord> transportStreams;  // tsCapacity rows
    std::vector<NetworkRecord> networks;     // networkCapacity rows
    std::vector<ProviderRecord> providers;   // providerCapacity rows
    std::array<std::array<FavouriteList, favouriteListsPerGroup>, favouriteGroupCount> favEntry{};
    std::array<AntennaRecord, antennaCount> antennas{};
    MenuRecord menu{};

    std::size_t serviceCount() const { return std::size_t{videoCount} + audioCount; }

    bool operator==(const ChannelDatabase&) const = default;
};

}  // namespace bv3::channeldb
