#pragma once
// The data the compression benchmarks run on, generated so that every run (and the gzip / lz4
// reference script, through bench_compress_corpus) sees the same bytes: a channel list in the
// QNF style (tab-separated service lines, CR LF), random bytes, and one repeated byte.

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace bv3::bench {

inline std::vector<std::uint8_t> qnfText(std::size_t size) {
    static constexpr std::array<const char*, 24> stations = {
        "Aurora One",     "Aurora Two",      "Baltic News 24", "Cinema Nord",   "Cinema Nord HD",  "Delta Sport",
        "Delta Sport 2",  "Echo Kids",       "Fjord TV",       "Gala Music",    "Horizon HD",      "Iris Radio",
        "Jade Documents", "Kestrel Movies",  "Lumen Shop",     "Meridian Info", "Nova Comedy",     "Orbit Travel",
        "Polar Weather",  "Quartz Classics", "Riviera Life",   "Solace Gospel", "Tundra Outdoors", "Umbra Crime"};
    static constexpr std::array<const char*, 6> providers = {"NordSat",  "Baltic Media", "Helios Group",
                                                             "Free Air", "Meridian",     "Polaris Net"};
    std::mt19937 generator(2024);
    auto pick = [&](std::uint32_t n) { return generator() % n; };
    std::string text = "[BREVORA V3 FILE]\r\n[SERVICE]\r\n";
    for (unsigned row = 0; text.size() < size; ++row) {
        const unsigned ts = pick(120);
        text += std::to_string(row);
        text += '\t';
        text += stations[pick(stations.size())];
        text += '\t';
        text += std::to_string(ts);
        text += '\t';
        text += std::to_string(10700 + ts * 17 % 2050);
        text += ts % 2 ? "\tH\t" : "\tV\t";
        text += std::to_string(ts % 3 ? 27500 : 22000);
        text += '\t';
        text += std::to_string(256 + pick(7000));  // video PID
        text += '\t';
        text += std::to_string(256 + pick(7000));  // audio PID
        text += '\t';
        text += std::to_string(1 + pick(9000));  // service id
        text += '\t';
        text += providers[pick(providers.size())];
        text += pick(4) == 0 ? "\t1\t0\r\n" : "\t0\t0\r\n";
    }
    text.resize(size);
    return {text.begin(), text.end()};
}

inline std::vector<std::uint8_t> randomBytes(std::size_t size) {
    std::mt19937 generator(99);
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(generator() >> 24);
    }
    return bytes;
}

inline std::vector<std::uint8_t> oneByte(std::size_t size) {
    return std::vector<std::uint8_t>(size, 'A');
}

struct NamedCorpus {
    const char* name;
    std::vector<std::uint8_t> (*make)(std::size_t);
    std::size_t size;
};

inline constexpr std::array<NamedCorpus, 5> corpora = {{{"text_64k", qnfText, 64 * 1024},
                                                        {"text_256k", qnfText, 256 * 1024},
                                                        {"text_1m", qnfText, 1024 * 1024},
                                                        {"random_1m", randomBytes, 1024 * 1024},
                                                        {"onebyte_1m", oneByte, 1024 * 1024}}};

}  // namespace bv3::bench
