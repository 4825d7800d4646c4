#pragma once
// The editing tests work on the sample channel list (42 video and 18 audio services, 12 TS,
// 4 networks, 8 providers, favourites in lists 0 and 1 of both groups) under model 4.

#include "channeldb/channel_database.h"
#include "edit/channel_list.h"
#include "edit/service_operations.h"

#include <unistd.h>
#include <filesystem>
#include <string>
#include <vector>

namespace bv3::edit::testing {

inline std::string samplePath() {
    return std::string(BV3_SOURCE_DIR) + "/samples/channels.qnf";
}

inline ChannelList sampleList(std::uint8_t model = 4) {
    return ChannelList::fromQnfFile(samplePath(), model);
}

inline std::vector<std::string> namesOf(const ChannelList& list, ServiceGroup group) {
    std::vector<std::string> names;
    for (const std::size_t row : groupRows(list, group)) {
        names.push_back(list.database().services[row].svcName);
    }
    return names;
}

inline std::size_t rowNamed(const ChannelList& list, const std::string& name) {
    const auto& db = list.database();
    for (std::size_t row = 0; row < db.serviceCount(); ++row) {
        if (db.services[row].svcName == name) {
            return row;
        }
    }
    throw std::runtime_error("no service " + name);
}

// A fresh folder under the system's temporary folder, removed with the object.
class EditFolder {
public:
    EditFolder() {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("bv3-edit-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(path_);
    }
    ~EditFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    EditFolder(const EditFolder&) = delete;
    EditFolder& operator=(const EditFolder&) = delete;
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::size_t entryCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_), {}));
    }

private:
    std::filesystem::path path_;
};

}  // namespace bv3::edit::testing
