// DeleteFileA behind deleteFile: the path is in the ANSI code page, as the host gave it.
#include "platform/file_deletion.h"
#include "platform/win32/windows_api.h"

namespace bv3::platform {

bool deleteFile(const std::string& path) noexcept {
    return DeleteFileA(path.c_str()) != FALSE;
}

}  // namespace bv3::platform
