#include "channeldb/field_codec.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace bv3::channeldb {

namespace {

std::uint8_t storedByte(std::span<const std::uint8_t> image, std::size_t position) {
    // A position the file does not reach reads as erased memory: stored 0xFF, read as 0.
    return position < image.size() ? image[position] : std::uint8_t{0xFF};
}

// position + k, or a position past any image when that would wrap around.
std::size_t after(std::size_t position, std::size_t k) {
    return position > SIZE_MAX - k ? SIZE_MAX : position + k;
}

void checkRoom(std::span<std::uint8_t> image, std::size_t position, std::size_t width) {
    if (position > image.size() || image.size() - position < width) {
        throw std::out_of_range("field at " + std::to_string(position) + " lies outside an image of " +
                                std::to_string(image.size()) + " bytes");
    }
}

constexpr std::array<std::uint16_t, 256> makeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                                  : static_cast<std::uint16_t>(crc >> 1);
        }
        table[i] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> crcTable = makeCrcTable();

}  // namespace

std::uint8_t getComplementedByte(std::span<const std::uint8_t> image, std::size_t position) {
    return static_cast<std::uint8_t>(~storedByte(image, position));
}

std::uint16_t getComplementedWord(std::span<const std::uint8_t> image, std::size_t position) {
    return static_cast<std::uint16_t>(getComplementedByte(image, position) << 8 |
                                      getComplementedByte(image, after(position, 1)));
}

std::uint32_t getComplementedLong(std::span<const std::uint8_t> image, std::size_t position) {
    return std::uint32_t{getComplementedWord(image, position)} << 16 | getComplementedWord(image, after(position, 2));
}

void putByte(std::uint32_t value, std::span<std::uint8_t> image, std::size_t position) {
    checkRoom(image, position, 1);
    image[position] = static_cast<std::uint8_t>(value);
}

void putWord(std::uint32_t value, std::span<std::uint8_t> image, std::size_t position) {
    checkRoom(image, position, 2);
    image[position] = static_cast<std::uint8_t>(value >> 8);
    image[position + 1] = static_cast<std::uint8_t>(value);
}

void putLong(std::uint32_t value, std::span<std::uint8_t> image, std::size_t position) {
    checkRoom(image, position, 4);
    putWord(value >> 16, image, position);
    putWord(value, image, position + 2);
}

std::uint16_t crc16(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0;
    for (const std::uint8_t b : bytes) {
        crc = static_cast<std::uint16_t>((crc >> 8) ^ crcTable[(crc ^ b) & 0xFFu]);
    }
    return crc;
}

std::uint16_t offsetChecksum(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint16_t>(crc16(bytes) + 0x5A5Au);
}

}  // namespace bv3::channeldb
