// FlushFileBuffers on the file and a write-through MoveFileEx: Windows' way of a replacement
// that survives a power cut. The write-through rename returns only once the folder's entry is
// on the disk, so the folder needs no flush of its own.
#include "safe_write/file_system_operations.h"

#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstdio>

namespace bv3::safewrite {

namespace {

// The C library's error number for the few failures a save can meet, so that messages read
// the same on both systems ("No space left on device").
int errorNumberOf(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    default:
        return EIO;
    }
}

class Win32Operations final : public FileSystemOperations {
public:
    int syncFile(std::FILE* file) override {
        const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
        if (handle == INVALID_HANDLE_VALUE) {
            return EBADF;
        }
        return ::FlushFileBuffers(handle) ? 0 : errorNumberOf(::GetLastError());
    }
    int replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
        const BOOL moved =
            ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        return moved ? 0 : errorNumberOf(::GetLastError());
    }
    int syncFolder(const std::filesystem::path&) override {
        return 0;
    }
};

}  // namespace

FileSystemOperations& systemFileOperations() noexcept {
    static Win32Operations operations;
    return operations;
}

}  // namespace bv3::safewrite
