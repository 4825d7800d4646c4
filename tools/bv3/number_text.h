#pragma once
// How bv3 reads a number typed by a person: decimal or 0x-hex, nothing around it. Options and
// edit operands both read numbers this way and differ only in how they refuse one.

#include <cstdint>
#include <optional>
#include <string_view>

namespace bv3::cli {

// The value of text when it is a decimal or 0x-hex number from 0 to max; empty otherwise
// (no digits, a sign, a space, a stray character or a value above max).
std::optional<std::uint32_t> numberFromText(std::string_view text, std::uint32_t max);

}  // namespace bv3::cli
