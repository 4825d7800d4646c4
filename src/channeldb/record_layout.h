#pragma once
// The byte layout of every record of a receiver image, stated once: where each field of a
// service, TS, network, provider and antenna record sits, where the menu values sit in the
// configuration area, and what changes with the configuration variant. The raw reader, the
// raw writer and the image check all take their offsets from here.

#include "channeldb/layout.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace bv3::channeldb {

// A service record (LayoutParameters::serviceRecordSize bytes; the name field runs to its end).
namespace servicerecord {
inline constexpr std::size_t wordA = 0;
inline constexpr std::size_t wordB = 2;
inline constexpr std::size_t wordC = 4;
inline constexpr std::size_t wordD = 6;
inline constexpr std::size_t wordE = 8;
inline constexpr std::size_t wordF = 10;
inline constexpr std::size_t wordG = 12;
inline constexpr std::size_t kind = 14;   // 0 video, else audio
inline constexpr std::size_t flags = 15;  // the 0-to-15 value in the high nibble, then flags 3 to 0
inline constexpr std::size_t byteA = 16;
inline constexpr std::size_t byteB = 17;
inline constexpr std::size_t channelNumber = 18;
inline constexpr std::size_t tsAddress = 20;        // receiver address of its TS record
inline constexpr std::size_t providerAddress = 24;  // receiver address of its provider record
inline constexpr std::size_t name = 28;
}  // namespace servicerecord

// A TS record (tsRecordSize bytes).
namespace tsrecord {
inline constexpr std::size_t wordA = 0;
inline constexpr std::size_t wordB = 2;
inline constexpr std::size_t wordC = 4;
inline constexpr std::size_t networkAddress = 8;  // receiver address of its network record
inline constexpr std::size_t longA = 12;
inline constexpr std::size_t longB = 16;
inline constexpr std::size_t wordD = 20;
inline constexpr std::size_t byteA = 22;
inline constexpr std::size_t byteB = 23;
inline constexpr std::size_t wordE = 24;
}  // namespace tsrecord

// A network record (networkRecordSize bytes) and a provider record (providerRecordSize bytes).
namespace networkrecord {
inline constexpr std::size_t wordA = 0;
inline constexpr std::size_t wordB = 2;
inline constexpr std::size_t name = 4;  // shortNameLength bytes
}  // namespace networkrecord
namespace providerrecord {
inline constexpr std::size_t name = 0;  // shortNameLength bytes
}  // namespace providerrecord

// The antenna block of the configuration area: a marker word, the CRC-16 of the records, then
// antennaCount records of antennaRecordSize bytes.
namespace antennablock {
inline constexpr std::size_t marker = 0;  // holds 0xABCD
inline constexpr std::uint16_t markerValue = 0xABCD;
inline constexpr std::size_t checksum = 2;
inline constexpr std::size_t records = 4;
}  // namespace antennablock
namespace antennarecord {
inline constexpr std::size_t longValue = 0;
inline constexpr std::size_t wordA = 4;
inline constexpr std::size_t wordB = 6;
inline constexpr std::size_t byteA = 8;
inline constexpr std::size_t byteB = 9;
inline constexpr std::size_t byteC = 10;
inline constexpr std::size_t byteD = 11;
inline constexpr std::size_t name = 12;  // antennaNameLength bytes, no terminator when full
}  // namespace antennarecord

// The menu values at the start of the configuration area. Some have a second copy near its end
// (config_area.h); values 30 and on sit in two blocks that move with the configuration variant.
namespace menublock {
inline constexpr std::size_t headerWord = 0;
inline constexpr std::size_t headerChecksum = 2;  // CRC-16 of headerChecksumLength bytes from 4
inline constexpr std::size_t headerChecksumFrom = 4;
inline constexpr std::size_t value1 = 4;
inline constexpr std::size_t value2 = 5;
inline constexpr std::size_t value3 = 6;
inline constexpr std::size_t value4 = 7;
inline constexpr std::size_t value5 = 8;  // a long, hours x 100 + minutes
inline constexpr std::size_t value6 = 12;
inline constexpr std::size_t value7 = 16;
inline constexpr std::size_t value8 = 17;
inline constexpr std::size_t value9 = 18;
inline constexpr std::size_t value10 = 19;
inline constexpr std::size_t values11to22 = 20;  // one byte each
inline constexpr std::size_t value23 = 32;
inline constexpr std::size_t value24 = 33;
inline constexpr std::size_t value25 = 34;  // a word
inline constexpr std::size_t value26 = 36;
inline constexpr std::size_t value26Again = 37;
inline constexpr std::size_t value27 = 38;
inline constexpr std::size_t value28 = 40;
inline constexpr std::size_t value29 = 44;
// Block B, from ConfigLayout::blockB: values 30 to 34 (longs), 35 to 40 (bytes), then the
// extras where the variant has them.
inline constexpr std::size_t values30to34 = 0;
inline constexpr std::size_t values35to40 = 20;
inline constexpr std::size_t extraByte = 26;
inline constexpr std::size_t extraLongA = 28;
inline constexpr std::size_t extraLongB = 32;
inline constexpr std::size_t extraByteA = 36;
inline constexpr std::size_t extraByteB = 37;
inline constexpr std::size_t extraByteC = 38;
inline constexpr std::size_t blockBWithExtras = 40;
inline constexpr std::size_t blockBWithoutExtras = 26;
// Block C, from ConfigLayout::blockC: values 41 to 44 (words).
inline constexpr std::size_t values41to44 = 0;
}  // namespace menublock

// What the configuration variant decides, looked up once by configLayoutFor.
struct ConfigLayout {
    std::uint32_t blockB;                // configuration-area offset of menu block B
    bool hasMenuExtras;                  // block B ends with the extra values
    std::uint32_t headerChecksumLength;  // bytes from 4 the header checksum covers
    bool value7Fixed;                    // the receiver keeps 0xFF for menu value 7
    bool value11OnOff;                   // menu value 11 is stored as 0 or 1
    bool keepsValues23to25;              // menu values 23 to 25 are stored at all

    constexpr std::uint32_t blockC() const {
        return blockB + static_cast<std::uint32_t>(hasMenuExtras ? menublock::blockBWithExtras
                                                                 : menublock::blockBWithoutExtras);
    }
};

// The configuration layout of configVariant. Variants the receivers do not use (3, above 5)
// get the rules of variant 3.
const ConfigLayout& configLayoutFor(std::uint8_t configVariant);

// The index region's checksum words, one word each from offset 0, and what each covers.
struct IndexChecksum {
    const char* name;
    std::size_t offset;  // in the index region
    std::size_t length;
};
std::array<IndexChecksum, 7> indexChecksumsOf(const LayoutParameters& layout);

// The word at the end of each of the first four 64 KiB banks of the service area.
inline constexpr std::array<std::uint32_t, 4> bankMarkers{0xFFFE, 0x1FFFE, 0x2FFFE, 0x3FFFE};
inline constexpr std::uint16_t bankMarkerValue = 0xA5A5;

}  // namespace bv3::channeldb
