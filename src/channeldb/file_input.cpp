#include "channeldb/file_input.h"

#include "channeldb/conversion_error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace bv3::channeldb {

namespace fs = std::filesystem;

namespace {

std::string reasonOf(int error) {
    return error != 0 ? std::strerror(error) : std::string("input/output error");
}

}  // namespace

std::string readFileBytes(const std::string& path, std::size_t maxBytes) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ConversionError("cannot read '" + path + "': " + reasonOf(errno), path);
    }
    std::error_code sizeError;
    if (fs::is_directory(path, sizeError)) {
        throw ConversionError("cannot read '" + path + "': it is a folder", path);
    }
    std::string content;
    // Room for the whole file at once: growing by doubling would copy a large file over and over.
    if (const auto size = fs::file_size(path, sizeError); !sizeError) {
        content.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(size, maxBytes)));
    }
    char buffer[65536];
    while (content.size() < maxBytes && in) {
        const std::size_t want = std::min(sizeof buffer, maxBytes - content.size());
        in.read(buffer, static_cast<std::streamsize>(want));
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        throw ConversionError("cannot read '" + path + "': " + reasonOf(errno), path);
    }
    return content;
}

}  // namespace bv3::channeldb
