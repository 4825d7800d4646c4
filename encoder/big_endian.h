#pragma once
// Big-endian reads and writes for the download image. Reads take the offset from the caller,
// who has already checked that the field lies inside the buffer.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace bv3::qdf::detail {

inline void putU8(std::vector<std::uint8_t>& out, std::uint8_t value) {
    out.push_back(value);
}

inline void putU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

inline void putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

inline std::uint16_t getU16(std::span<const std::uint8_t> in, std::size_t offset) {
    return static_cast<std::uint16_t>((in[offset] << 8) | in[offset + 1]);
}

inline std::uint32_t getU32(std::span<const std::uint8_t> in, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | in[offset + i];
    }
    return value;
}

}  // namespace bv3::qdf::detail
