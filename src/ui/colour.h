#pragma once
// Colours as the receiver tools store them, shared by the gauge on every toolkit and on the
// platform's own windows.

#include <cstdint>

namespace bv3::ui {

// A colour value laid out 0x00BBGGRR: red in bits 0..7, green in 8..15, blue in 16..23.
using TColor = std::uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clTeal = 0x808000;

}  // namespace bv3::ui
