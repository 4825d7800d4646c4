#include "crc32.h"

#include <array>

namespace bv3::qdf {

namespace {

constexpr std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t value = n;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1u) != 0 ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        }
        table[n] = value;
    }
    return table;
}

constexpr auto crcTable = makeTable();

}  // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t previous) {
    std::uint32_t crc = ~previous;
    for (const std::uint8_t byte : bytes) {
        crc = crcTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
    }
    return ~crc;
}

}  // namespace bv3::qdf
