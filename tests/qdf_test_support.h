#pragma once
// Helpers of the download-build tests: a fresh working directory per test (the build's
// temporaries live in the current directory) and whole-file reads and writes.

#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace bv3::test {

// Makes a new empty directory, makes it the current directory, and on destruction goes back
// and removes it with everything in it.
class ScratchDirectory {
public:
    ScratchDirectory() : previous_(std::filesystem::current_path()) {
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        do {
            path_ = base / ("bv3-qdf-" + std::to_string(random()) + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
        std::filesystem::current_path(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

using testfiles::readBytes;
using testfiles::readText;
using testfiles::writeBytes;
using testfiles::writeText;

inline std::vector<std::string> splitCrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));  // an unterminated last line
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace bv3::test
