#pragma once
// The seam to the platform's file deletion. Paths are 8-bit strings in the system's code page,
// the same text the host passed, so on Windows the ANSI entry (DeleteFileA) is the one that
// resolves them exactly as the host's own file calls do.

#include <string>

namespace bv3::platform {

// Deletes the file; true when it is gone because of this call. A missing file, a directory or
// a file that cannot be deleted yields false and changes nothing.
bool deleteFile(const std::string& path) noexcept;

}  // namespace bv3::platform
