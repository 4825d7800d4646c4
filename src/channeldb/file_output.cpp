#include "channeldb/file_output.h"

#include "channeldb/conversion_error.h"

#include <atomic>
#include <cerrno>
#include <chrono>
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

// A name beside the target that no other writer of this process or another picks.
fs::path temporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> serial{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path name = target;
    name += ".part-" + std::to_string(stamp) + "-" + std::to_string(serial++);
    return name;
}

}  // namespace

void writeFileReplacing(const std::string& path, std::span<const std::byte> bytes) {
    if (path.empty()) {
        throw ConversionError("cannot write the output: no file name given");
    }
    const fs::path target(path);
    const fs::path temporary = temporaryBeside(target);
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw ConversionError("cannot write '" + path + "': " + reasonOf(errno), path);
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    const int writeError = errno;
    std::error_code ignored;
    if (!out) {
        fs::remove(temporary, ignored);
        throw ConversionError("cannot write '" + path + "': " + reasonOf(writeError), path);
    }
    std::error_code renameError;
    fs::rename(temporary, target, renameError);
    if (renameError) {
        fs::remove(temporary, ignored);
        throw ConversionError("cannot write '" + path + "': " + renameError.message(), path);
    }
}

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
