#pragma once
// Input text shown inside a message. A refused line may be a megabyte long or hold a NUL:
// echoed whole it buries the reason, and a NUL ends the message early where it is passed on
// as a C string (the exports' message boxes). Header only, so that every parser of outside
// input (the channel list reader, the encoder's loader configuration reader) shows text the
// same way.

#include <cstddef>
#include <string>
#include <string_view>

namespace bv3::channeldb {

inline constexpr std::size_t quotedTextLimit = 80;

// At most quotedTextLimit characters of text, followed by "…" when there was more; a control
// byte (NUL, CR, LF, Ctrl-Z, DEL, ...) is shown as \xNN and a tab as \t. A UTF-8 character
// is never cut in two.
inline std::string quotedText(std::string_view text) {
    std::size_t end = text.size();
    const bool cut = end > quotedTextLimit;
    if (cut) {
        end = quotedTextLimit;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            --end;
        }
    }
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(end + 8);
    for (std::size_t i = 0; i < end; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\t') {
            shown += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            shown += "\\x";
            shown += digits[c >> 4];
            shown += digits[c & 0xF];
        } else {
            shown += static_cast<char>(c);
        }
    }
    if (cut) {
        shown += "\u2026";
    }
    return shown;
}

}  // namespace bv3::channeldb
