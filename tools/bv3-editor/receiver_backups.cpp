#include "receiver_backups.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace bv3::editor {

ReceiverBackups::ReceiverBackups(std::string folder) : folder_(std::move(folder)) {}

std::string ReceiverBackups::defaultFolder() {
    namespace fs = std::filesystem;
    const char* data = std::getenv("XDG_DATA_HOME");
    fs::path base;
    if (data != nullptr && *data == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home != nullptr ? home : ".") / ".local" / "share";
    }
    return (base / "bv3-editor" / "backups").string();
}

namespace {

std::string clockNow() {
    const std::time_t now = std::time(nullptr);
    char clock[16] = "";
    if (const std::tm* t = std::localtime(&now)) {
        std::strftime(clock, sizeof clock, "%H:%M:%S", t);
    }
    return clock;
}

}  // namespace

void ReceiverBackups::rememberSent(const edit::ChannelList& sent) {
    session_ = KnownReceiverList{std::make_shared<const channeldb::ChannelDatabase>(sent.database()),
                                 "the list sent at " + clockNow()};
    sessionModel_ = sent.modelCode();
}

std::string ReceiverBackups::keep(const edit::ChannelList& received) {
    session_ = KnownReceiverList{std::make_shared<const channeldb::ChannelDatabase>(received.database()),
                                 "the list received at " + clockNow()};
    sessionModel_ = received.modelCode();
    // The backup is a copy: saving makes a document clean and changes its origin.
    auto copy = edit::ChannelList::fromDatabase(received.database(), received.modelCode());
    const std::string path = edit::saveBackup(copy, folder_);
    edit::pruneBackups(folder_, kept);
    return path;
}

std::vector<BackupSummary> ReceiverBackups::summaries() const {
    std::vector<BackupSummary> out;
    for (edit::BackupEntry& entry : entries()) {
        BackupSummary summary{std::move(entry)};
        try {
            const auto list = edit::ChannelList::fromContainerFile(summary.entry.path, summary.entry.modelCode);
            const auto& db = list.database();
            summary.readable = true;
            summary.videoCount = db.videoCount;
            summary.audioCount = db.audioCount;
            for (const auto& group : db.favCount) {
                for (const auto count : group) {
                    summary.favouriteCount += count;
                }
            }
        } catch (const std::exception&) {
            summary.readable = false;
        }
        out.push_back(std::move(summary));
    }
    return out;
}

std::optional<KnownReceiverList> ReceiverBackups::lastKnown(std::uint8_t modelCode) const {
    if (session_ && sessionModel_ == modelCode) {
        return session_;
    }
    for (const edit::BackupEntry& entry : entries()) {
        if (entry.modelCode != modelCode) {
            continue;
        }
        try {
            auto list = edit::ChannelList::fromContainerFile(entry.path, modelCode);
            return KnownReceiverList{std::make_shared<const channeldb::ChannelDatabase>(list.database()),
                                     "the backup of " + entry.when};
        } catch (const std::exception&) {
            continue;  // a damaged backup says nothing about the receiver
        }
    }
    return std::nullopt;
}

}  // namespace bv3::editor
