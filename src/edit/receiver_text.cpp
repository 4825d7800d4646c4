#include "edit/receiver_text.h"

#include "edit/edit_error.h"

#include <array>
#include <cstdint>
#include <optional>

namespace bv3::edit {

namespace {

// The code points of 0x80 to 0x9F; the undefined bytes map to the control of the same number.
constexpr std::array<char32_t, 32> highControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t codePointOf(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? highControls[byte - 0x80] : byte;
}

std::optional<unsigned char> byteOf(char32_t codePoint) {
    for (std::size_t i = 0; i < highControls.size(); ++i) {
        if (highControls[i] == codePoint) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    if (codePoint <= 0xFF && (codePoint < 0x80 || codePoint > 0x9F)) {
        return static_cast<unsigned char>(codePoint);
    }
    return std::nullopt;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string hexCodePoint(char32_t c) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (char32_t rest = c; rest != 0 || text.size() < 4; rest >>= 4) {
        text.insert(text.begin(), digits[rest & 0xF]);
    }
    return "U+" + text;
}

// The next code point of UTF-8 text, or nothing when the bytes there are not UTF-8.
std::optional<char32_t> decodeNext(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size()) {
        return std::nullopt;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    at += length;
    return c;
}

}  // namespace

std::string receiverTextFromUtf8(std::string_view utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t start = at;
        const auto c = decodeNext(utf8, at);
        if (!c) {
            throw EditError("\"" + std::string(utf8) + "\" is not UTF-8 text (at byte " + std::to_string(start + 1) +
                            ")");
        }
        const auto byte = byteOf(*c);
        if (!byte) {
            throw EditError("\"" + std::string(utf8) + "\" holds '" + std::string(utf8.substr(start, at - start)) +
                            "' (" + hexCodePoint(*c) +
                            "), which the receiver's character set (Windows-1252) cannot hold");
        }
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

std::string utf8FromReceiverText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char b : bytes) {
        appendUtf8(text, codePointOf(static_cast<unsigned char>(b)));
    }
    return text;
}

}  // namespace bv3::edit
