// fsync on the file and on its folder: the order POSIX file systems need for a replacement
// that survives a power cut (the data first, then the rename, then the folder's entry).
#include "safe_write/file_system_operations.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace bv3::safewrite {

namespace {

class PosixOperations final : public FileSystemOperations {
public:
    int syncFile(std::FILE* file) override {
        return ::fsync(::fileno(file)) == 0 ? 0 : errno;
    }
    int replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }
    int syncFolder(const std::filesystem::path& folder) override {
        const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor < 0) {
            return errno;
        }
        int error = ::fsync(descriptor) == 0 ? 0 : errno;
        ::close(descriptor);
        // Some file systems cannot flush a folder at all; their renames are as durable as
        // they get.
        if (error == EINVAL || error == ENOTSUP || error == EROFS) {
            error = 0;
        }
        return error;
    }
};

}  // namespace

FileSystemOperations& systemFileOperations() noexcept {
    static PosixOperations operations;
    return operations;
}

}  // namespace bv3::safewrite
