#pragma once
// What a list's file was when the editor read or wrote it, to notice that another program (or
// a second editor) changed it since: its size and time, and a hash of its bytes, so that a file
// only touched, or saved again with the same bytes, is not taken for a changed one.

#include <cstdint>
#include <filesystem>
#include <string>

namespace bv3::edit {

struct FileStamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    std::uint64_t contentHash = 0;
};

enum class FileChange { Unchanged, Changed, Gone };

// The stamp of the file at path now (exists false when there is none or it cannot be read).
FileStamp stampFile(const std::string& path);

// How the file at path differs from stamp. The bytes are read only when the size is the same
// and the time is not. A file that was not there when stamped and is now is Changed.
FileChange fileChangeSince(const FileStamp& stamp, const std::string& path);

}  // namespace bv3::edit
