#include "qdfbuild/build_temporaries.h"

#include "platform/file_deletion.h"
#include "qdfbuild/qdf_build_error.h"
#include "safe_write/safe_write.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace bv3::qdfbuild {

namespace {

std::string currentDirectoryText() {
    std::error_code error;
    const auto directory = std::filesystem::current_path(error);
    return error ? std::string("the current directory") : "\"" + directory.string() + "\"";
}

}  // namespace

BuildTemporaries::BuildTemporaries(std::filesystem::path folder, std::vector<std::string> deletionOrder)
    : folder_(std::move(folder)), deletionOrder_(std::move(deletionOrder)) {}

std::string BuildTemporaries::pathOf(const std::string& name) const {
    return folder_.empty() ? name : (folder_ / name).string();
}

std::string BuildTemporaries::folderText() const {
    return folder_.empty() ? currentDirectoryText() : "\"" + folder_.string() + "\"";
}

BuildTemporaries::~BuildTemporaries() {
    deleteAll();
}

void BuildTemporaries::write(const std::string& name, std::span<const std::uint8_t> bytes) {
    write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void BuildTemporaries::write(const std::string& name, std::string_view text) {
    try {
        // Written whole or not at all: a file that failed half-way is already gone, and only
        // a file the build put in place is ever deleted by it.
        safewrite::writeFileSafely(pathOf(name), text);
    } catch (const safewrite::SafeWriteError& failure) {
        throw QdfBuildError("cannot write the temporary file \"" + name + "\" in " + folderText() + ": " +
                            failure.reason());
    }
    if (std::find(written_.begin(), written_.end(), name) == written_.end()) {
        written_.push_back(name);
    }
}

void BuildTemporaries::refuseExisting() const {
    for (const auto& name : deletionOrder_) {
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(pathOf(name), error))) {
            throw QdfBuildError("cannot build: \"" + name + "\" already exists in " + folderText() +
                                "; the build writes a temporary file of that name and deletes it afterwards, so "
                                "it leaves the file alone: move or rename it and build again");
        }
    }
}

void BuildTemporaries::deleteAll() noexcept {
    for (const auto& name : deletionOrder_) {
        if (std::find(written_.begin(), written_.end(), name) != written_.end()) {
            platform::deleteFile(pathOf(name));  // a failed deletion is ignored
        }
    }
    written_.clear();
}

}  // namespace bv3::qdfbuild
