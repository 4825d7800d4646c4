#include "edit/list_backups.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <tuple>

namespace bv3::edit {

namespace {

namespace fs = std::filesystem;

constexpr const char* extension = ".v3q";

std::tm localTime(std::chrono::system_clock::time_point time) {
    const std::time_t t = std::chrono::system_clock::to_time_t(time);
    const std::tm* parts = std::localtime(&t);  // the callers run on one thread
    return parts != nullptr ? *parts : std::tm{};
}

// "YYYY-MM-DD_HH-MM-SS_modelM" with an optional "-N" after it; the date and time as text.
std::optional<BackupEntry> parseName(const fs::path& path) {
    if (path.extension() != extension) {
        return std::nullopt;
    }
    const std::string stem = path.stem().string();
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    unsigned model = 0;
    int consumed = 0;
    if (std::sscanf(stem.c_str(), "%4d-%2d-%2d_%2d-%2d-%2d_model%1u%n", &y, &mo, &d, &h, &mi, &s, &model,
                    &consumed) != 7 ||
        model > 5 || stem.size() < 25) {
        return std::nullopt;
    }
    char when[32];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    return BackupEntry{path.string(), when, static_cast<std::uint8_t>(model)};
}

}  // namespace

std::string backupFileName(std::chrono::system_clock::time_point time, std::uint8_t modelCode) {
    const std::tm t = localTime(time);
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d_%02d-%02d-%02d_model%u%s", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, static_cast<unsigned>(modelCode), extension);
    return name;
}

std::string saveBackup(ChannelList& list, const std::string& folder, std::chrono::system_clock::time_point time) {
    fs::create_directories(folder);
    const std::string name = backupFileName(time, list.modelCode());
    fs::path path = fs::path(folder) / name;
    const std::string stem = fs::path(name).stem().string();
    for (int n = 2; fs::exists(path); ++n) {
        path = fs::path(folder) / (stem + "-" + std::to_string(n) + extension);
    }
    list.saveContainer(path.string());
    return path.string();
}

std::vector<BackupEntry> listBackups(const std::string& folder) {
    std::vector<BackupEntry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error)) {
            if (auto entry = parseName(it->path())) {
                entries.push_back(std::move(*entry));
            }
        }
    }
    // The names sort as the times do; a "-N" of the same second sorts after its first.
    std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
        const auto nameA = fs::path(a.path).filename().string();
        const auto nameB = fs::path(b.path).filename().string();
        return std::make_tuple(a.when, nameA.size(), nameA) > std::make_tuple(b.when, nameB.size(), nameB);
    });
    return entries;
}

std::size_t pruneBackups(const std::string& folder, std::size_t keep) {
    const auto entries = listBackups(folder);
    std::size_t removed = 0;
    for (std::size_t i = keep; i < entries.size(); ++i) {
        std::error_code error;
        removed += fs::remove(entries[i].path, error) ? 1 : 0;
    }
    return removed;
}

}  // namespace bv3::edit
