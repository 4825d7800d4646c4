#pragma once
// Small helpers shared by the channel database tests: byte access to images in the form the
// receiver stores them, and a temporary folder per test.

#include "channeldb/channel_database.h"
#include "channeldb/check_findings.h"
#include "test_files.h"

#include <unistd.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace bv3::channeldb::testing {

inline std::uint16_t wordAt(std::span<const std::uint8_t> image, std::size_t at) {
    return static_cast<std::uint16_t>(image[at] << 8 | image[at + 1]);
}
inline std::uint32_t longAt(std::span<const std::uint8_t> image, std::size_t at) {
    return std::uint32_t{wordAt(image, at)} << 16 | wordAt(image, at + 2);
}

// An uploaded file holds every byte complemented; these store a value the way a receiver's
// memory would appear in it.
inline void storeComplemented(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        file.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(~(value >> (8 * (width - 1 - i))));
    }
}

inline void setAntennaName(AntennaRecord& a, std::string_view name) {
    a.antName.fill('\0');
    for (std::size_t i = 0; i < name.size() && i < a.antName.size(); ++i) {
        a.antName[i] = name[i];
    }
}

// Whole files, byte for byte, under the names these tests have always used.
inline std::string readFile(const std::filesystem::path& path) {
    return testfiles::readText(path);
}

inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    testfiles::writeText(path, bytes);
}

// A fresh folder under the system's temporary folder, removed with the object.
class TemporaryFolder {
public:
    TemporaryFolder() {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("bv3-channeldb-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(path_);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

private:
    std::filesystem::path path_;
};

// A report's findings, one indented line each, for a failed expectation's message.
inline std::string describe(const CheckReport& report) {
    std::string text;
    for (const Finding& f : report.findings) {
        text += "  " + formatFinding(f) + "\n";
    }
    return text;
}

}  // namespace bv3::channeldb::testing
