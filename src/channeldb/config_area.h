#pragma once
// The fixed places of the configuration area that the raw reader, the raw writer and the image
// check share: the second copies of some menu values near the end of the area, the three
// CRC-16 words that guard those copies, the end marker and the area's offset checksum. Offsets
// are from the start of the area.

#include <array>
#include <cstddef>

namespace bv3::channeldb::configarea {

// A stretch of bytes with the CRC-16 of its contents stored in the word before it.
struct ChecksummedRange {
    std::size_t checksumAt;
    std::size_t from;
    std::size_t length;
    std::size_t last() const { return from + length - 1; }
};

inline constexpr ChecksummedRange menuCopiesA{8144, 8146, 6};     // menu values 7 to 10
inline constexpr ChecksummedRange menuCopiesB{8152, 8154, 6};     // menu values 23 to 25
inline constexpr ChecksummedRange minutesAndEnd{8160, 8162, 22};  // menu value 5 and the end marker
inline constexpr std::array<ChecksummedRange, 3> checksummedRanges{menuCopiesA, menuCopiesB, minutesAndEnd};

inline constexpr std::size_t menuValue7Copy = 8146;
inline constexpr std::size_t menuValue8Copy = 8148;  // the value in the high nibble
inline constexpr std::size_t menuCodeCopy = 8149;    // the code byte that packs menu values 9 and 10
inline constexpr std::size_t menuValue24Copy = 8154;
inline constexpr std::size_t menuValue23Copy = 8155;
inline constexpr std::size_t menuValue25Copy = 8156;    // the low byte
inline constexpr std::size_t menuValue5Minutes = 8162;  // menu value 5 as a count of minutes, a word
inline constexpr std::size_t endMarker = 8183;          // holds 0x88
inline constexpr std::size_t offsetChecksumAt = 8190;   // over every byte before it

}  // namespace bv3::channeldb::configarea
