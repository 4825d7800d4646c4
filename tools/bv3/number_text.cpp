#include "bv3/number_text.h"

#include <charconv>

namespace bv3::cli {

std::optional<std::uint32_t> numberFromText(std::string_view text, std::uint32_t max) {
    std::string_view digits(text);
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    if (digits.empty() || error != std::errc() || stop != end || value > max) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace bv3::cli
