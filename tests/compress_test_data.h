#pragma once
// Sample inputs for the compression tests, made up here: channel-list-like text, random
// bytes, runs.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace bv3::compress::testdata {

inline std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

inline std::vector<std::uint8_t> randomBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(count);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(generator() >> 24);
    }
    return bytes;
}

// Tab-separated service lines with CR LF, like a channel list.
inline std::vector<std::uint8_t> channelText(std::size_t count, std::uint32_t seed = 7) {
    static const char* const names[] = {"Aurora One", "Baltic News", "Cinema Nord", "Delta Sport", "Echo Kids",
                                        "Fjord TV",   "Gala Music",  "Horizon HD",  "Iris Radio",  "Jade Docs"};
    std::mt19937 generator(seed);
    std::string text = "[BREVORA V3 FILE]\r\n[SERVICE]\r\n";
    for (int line = 0; text.size() < count; ++line) {
        text += std::to_string(line) + '\t' + names[generator() % 10] + ' ' + std::to_string(generator() % 90) + '\t' +
                std::to_string(10700 + generator() % 2050) + "\t" + (generator() % 2 ? "H" : "V") + '\t' +
                std::to_string(22000 + generator() % 8000) + '\t' + std::to_string(generator() % 8192) + "\r\n";
    }
    text.resize(count);
    return bytesOf(text);
}

}  // namespace bv3::compress::testdata
