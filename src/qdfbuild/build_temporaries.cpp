#include "qdfbuild/build_temporaries.h"

#include "platform/file_deletion.h"
#include "qdfbuild/qdf_build_error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace bv3::qdfbuild {

namespace {

std::string currentDirectoryText() {
    std::error_code error;
    const auto directory = std::filesystem::current_path(error);
    return error ? std::string("the current directory") : "\"" + directory.string() + "\"";
}

}  // namespace

BuildTemporaries::BuildTemporaries(std::vector<std::string> deletionOrder) : deletionOrder_(std::move(deletionOrder)) {}

BuildTemporaries::~BuildTemporaries() {
    deleteAll();
}

void BuildTemporaries::write(const std::string& name, std::span<const std::uint8_t> bytes) {
    write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void BuildTemporaries::write(const std::string& name, std::string_view text) {
    errno = 0;
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    if (out) {
        // Counted once opened: a file that was created but not completed must go too, while a
        // file that could not even be opened was never touched and is left alone.
        if (std::find(written_.begin(), written_.end(), name) == written_.end()) {
            written_.push_back(name);
        }
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
    }
    if (!out) {
        const std::string reason = errno != 0 ? std::strerror(errno) : "write failed";
        throw QdfBuildError("cannot write the temporary file \"" + name + "\" in " + currentDirectoryText() + ": " +
                            reason);
    }
}

void BuildTemporaries::deleteAll() noexcept {
    for (const auto& name : deletionOrder_) {
        if (std::find(written_.begin(), written_.end(), name) != written_.end()) {
            platform::deleteFile(name);  // a failed deletion is ignored
        }
    }
    written_.clear();
}

}  // namespace bv3::qdfbuild
