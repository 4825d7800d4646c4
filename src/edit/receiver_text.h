#pragma once
// The receiver's character set: names are single bytes of Windows-1252, the ANSI code page of
// the Western Windows hosts the lists were always edited on. Text typed by a person (the
// command line's UTF-8, the editor's Unicode) is converted into it here, and a character it
// cannot hold is refused by name rather than turned into '?' without a word; names are shown
// by converting them back. One byte per character, so a name's 40-character cut never splits
// a character.

#include <string>
#include <string_view>

namespace bv3::edit {

// The UTF-8 text as Windows-1252 bytes. Throws EditError naming the first character the set
// cannot hold (with its code point), or saying that the text is not valid UTF-8.
std::string receiverTextFromUtf8(std::string_view utf8);

// A name's Windows-1252 bytes as UTF-8, for showing. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) show as the control characters of the same number,
// as Windows itself converts them, so every byte comes back unchanged.
std::string utf8FromReceiverText(std::string_view bytes);

}  // namespace bv3::edit
