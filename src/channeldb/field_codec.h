#pragma once
// My_IO: the byte-level routines through which the format code touches a receiver image.
// Images are big-endian. The getComplemented routines read uploaded images, in which the
// receiver's bytes are stored complemented, and so give back the complement of what they read;
// the put routines build plain images and store values as they are. Every routine is
// bounds-checked: a get outside the image reads as erased memory does (0), a put outside it
// throws std::out_of_range.

#include <cstddef>
#include <cstdint>
#include <span>

namespace bv3::channeldb {

std::uint8_t getComplementedByte(std::span<const std::uint8_t> image, std::size_t position);
std::uint16_t getComplementedWord(std::span<const std::uint8_t> image, std::size_t position);
std::uint32_t getComplementedLong(std::span<const std::uint8_t> image, std::size_t position);

void putByte(std::uint32_t value, std::span<std::uint8_t> image, std::size_t position);
void putWord(std::uint32_t value, std::span<std::uint8_t> image, std::size_t position);
void putLong(std::uint32_t value, std::span<std::uint8_t> image, std::size_t position);

// Service-area offset of a receiver address: address - serviceBase, modulo 2^32.
constexpr std::uint32_t imageOffset(std::uint32_t address, std::uint32_t serviceBase) {
    return address - serviceBase;
}

// CRC-16/ARC (reflected 0x8005, initial 0, no final XOR) over bytes as they stand.
std::uint16_t crc16(std::span<const std::uint8_t> bytes);

// The "offset checksum" of the receiver: (CRC + 0x5A5A) modulo 0x10000.
std::uint16_t offsetChecksum(std::span<const std::uint8_t> bytes);

}  // namespace bv3::channeldb
