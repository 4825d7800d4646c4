// unlink() behind deleteFile: it never removes a directory, as DeleteFileA does not.
#include "platform/file_deletion.h"

#include <unistd.h>

namespace bv3::platform {

bool deleteFile(const std::string& path) noexcept {
    return ::unlink(path.c_str()) == 0;
}

}  // namespace bv3::platform
