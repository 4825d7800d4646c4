#pragma once
// CRC-32 (the reflected 0xEDB88320 polynomial, initial and final value 0xFFFFFFFF, the one of
// zip and PNG): the download image's checksum, stronger than the receiver's CRC-16 because an
// image covers hundreds of kilobytes.

#include <cstdint>
#include <span>

namespace bv3::qdf {

// Continues a running CRC: crc32(b, crc32(a)) == crc32(a followed by b).
std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t previous = 0);

}  // namespace bv3::qdf
