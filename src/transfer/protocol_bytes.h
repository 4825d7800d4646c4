#pragma once
// The control bytes and fixed sizes of the receiver's serial protocol, shared by the PC side
// (upload and download) and by the receiver simulator.

#include <cstdint>

namespace bv3::transfer {

inline constexpr std::uint8_t STX = 0x02;
inline constexpr std::uint8_t ETX = 0x03;
inline constexpr std::uint8_t ACK = 0x06;

// Command bytes of the frames the PC sends (mode frames, read request, end frame) and of the
// receiver's end request during a download.
inline constexpr std::uint8_t modeUpload = 0x44;    // 'D'
inline constexpr std::uint8_t modeDownload = 0x41;  // 'A'
inline constexpr std::uint8_t readRequest = 0x42;   // 'B'
inline constexpr std::uint8_t endCommand = 0x43;    // 'C'

// The uploaded image: the 8 KB EEPROM block, then 96 flash blocks of 4 KB read from 0x0A0000.
inline constexpr std::int32_t uploadImageSize = 0x62000;  // 401,408 bytes
inline constexpr std::int32_t eepromBlockSize = 0x2000;
inline constexpr std::int32_t flashBlockSize = 0x1000;
inline constexpr std::int32_t flashBaseAddress = 0x0A0000;

// The receive handler reads at most this many bytes at a time; the download sends file data
// in chunks of this size.
inline constexpr std::size_t pieceSize = 128;

}  // namespace bv3::transfer
