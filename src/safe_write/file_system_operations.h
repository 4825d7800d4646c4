#pragma once
// The three calls that make a replaced file survive a power cut, behind one seam so that the
// order in which the safe write makes them can be watched: the temporary's data is forced to
// the disk before the rename, and the rename itself (the folder's entry) after it. Without
// the first, a journalling file system may commit the rename before the data, and a power cut
// then leaves an empty file under the target's name; without the second, the old file may
// come back.
//
// The backend is chosen by the build (posix/ or win32/), so this folder stays free of the
// operating system's headers. Each call returns 0 or the system's error number.

#include <cstdio>
#include <filesystem>

namespace bv3::safewrite {

class FileSystemOperations {
public:
    virtual ~FileSystemOperations() = default;
    // Forces the data of an open file, already flushed out of stdio's buffer, to the disk.
    virtual int syncFile(std::FILE* file) = 0;
    // Renames from over to, replacing a file of that name. On Windows the rename is made
    // write-through, which also makes the folder's entry durable.
    virtual int replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Forces a folder's entries to the disk (POSIX); nothing to do where replace() already did.
    virtual int syncFolder(const std::filesystem::path& folder) = 0;
};

// The operating system's own operations.
FileSystemOperations& systemFileOperations() noexcept;

// The operations every safe write uses: the system's unless a test substituted its own.
FileSystemOperations& fileOperations() noexcept;

// Substitutes operations for every later safe write of the process until it is destroyed
// (tests only: the substitute must outlive every write it watches, and writes on other
// threads must not run meanwhile).
class ScopedFileOperations {
public:
    explicit ScopedFileOperations(FileSystemOperations& substitute) noexcept;
    ~ScopedFileOperations();
    ScopedFileOperations(const ScopedFileOperations&) = delete;
    ScopedFileOperations& operator=(const ScopedFileOperations&) = delete;

private:
    FileSystemOperations* previous_;
};

}  // namespace bv3::safewrite
