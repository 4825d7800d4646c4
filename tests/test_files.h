#pragma once
// Reading and writing whole files in the tests, byte for byte (no newline translation). A file
// that cannot be opened reads as empty; the test's own checks then say what is missing.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bv3::testfiles {

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    const std::string text = readText(path);
    return {text.begin(), text.end()};
}

// Replaces the file's contents.
inline void writeText(const std::filesystem::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
}

inline void writeBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    writeText(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace bv3::testfiles
