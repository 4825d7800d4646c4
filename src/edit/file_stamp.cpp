#include "edit/file_stamp.h"

#include <array>
#include <fstream>
#include <system_error>

namespace bv3::edit {

namespace {

// FNV-1a over the file's bytes; false when it cannot be read to its end.
bool hashFile(const std::string& path, std::uint64_t& hash) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    hash = 14695981039346656037ull;
    std::array<char, 65536> buffer{};
    while (in) {
        in.read(buffer.data(), buffer.size());
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            hash = (hash ^ static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)])) * 1099511628211ull;
        }
    }
    return in.eof();
}

FileStamp statFile(const std::string& path) {
    FileStamp stamp;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return stamp;
    }
    stamp.size = std::filesystem::file_size(path, error);
    if (error) {
        return stamp;
    }
    stamp.modified = std::filesystem::last_write_time(path, error);
    stamp.exists = !error;
    return stamp;
}

}  // namespace

FileStamp stampFile(const std::string& path) {
    FileStamp stamp = statFile(path);
    if (stamp.exists && !hashFile(path, stamp.contentHash)) {
        stamp.exists = false;
    }
    return stamp;
}

FileChange fileChangeSince(const FileStamp& stamp, const std::string& path) {
    const FileStamp now = statFile(path);
    if (!now.exists) {
        return stamp.exists ? FileChange::Gone : FileChange::Unchanged;
    }
    if (!stamp.exists || now.size != stamp.size) {
        return FileChange::Changed;
    }
    if (now.modified == stamp.modified) {
        return FileChange::Unchanged;
    }
    std::uint64_t hash = 0;
    if (!hashFile(path, hash)) {
        return FileChange::Gone;
    }
    return hash == stamp.contentHash ? FileChange::Unchanged : FileChange::Changed;
}

}  // namespace bv3::edit
