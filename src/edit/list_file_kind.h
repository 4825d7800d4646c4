#pragma once
// What kind of channel-list file a path holds, told by its size and its first bytes, so that
// each goes to the reader that understands it and a refusal gives the real reason.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bv3::edit {

enum class ListFileKind : std::uint8_t { QnfText, Container, RawImage };

// A container by its identification ("!HZL", "WRZL"); a receiver image when the file has the
// size an upload leaves; text when its first bytes are printable ASCII, TAB, CR or LF (a text
// with a wrong header still goes to the text reader, whose message says what is wrong); any
// other content is taken for an image (a short one is then refused with its size). A file that
// cannot be read, or an empty one, counts as text: the text reader names the file and the
// reason.
ListFileKind listFileKind(const std::string& path);
// The same over bytes already read: head holds the file's first bytes (or all of them), size
// its whole length.
ListFileKind listFileKind(std::string_view head, std::uintmax_t size);

// The refusal of an image shorter than an upload ("FILE" holds N bytes, but an upload from the
// receiver holds 401408: ...), or none when the file is as long as an upload or longer. The
// reader would take the missing part for erased memory, and the list read from it, sent back,
// would wipe the receiver's channels.
std::optional<std::string> shortImageMessage(const std::string& path);
std::optional<std::string> shortImageMessage(const std::string& path, std::uintmax_t size);

}  // namespace bv3::edit
