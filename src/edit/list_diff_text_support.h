#pragma once
// Texts shared by the report and the JSON of a list comparison.

#include <string>
#include <string_view>

namespace bv3::edit::difftext {

// The lists' names are Latin-1 bytes, as the receiver and the editor read them.
inline std::string utf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

inline std::string quote(std::string_view latin1) {
    return "\"" + utf8(latin1) + "\"";
}

}  // namespace bv3::edit::difftext
