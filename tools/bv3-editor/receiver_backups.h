#pragma once
// The lists received from the receiver, kept: every received list is saved as a compressed list
// in the user's data folder (edit/list_backups.h names them by date, time and model), the newest
// 50 are kept, and the last one received in this session is remembered, so that a send can tell
// what it will change on the receiver. No toolkit here: the dialogs show what this holds.

#include "edit/channel_list.h"
#include "edit/list_backups.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bv3::editor {

// A list the receiver is known to hold, and where that knowledge comes from.
struct KnownReceiverList {
    std::shared_ptr<const channeldb::ChannelDatabase> database;
    std::string source;  // "the list received at 03:45:12" or "the backup of 2026-12-11 03:45:12"
};

// A backup with what it holds, for a listing.
struct BackupSummary {
    edit::BackupEntry entry;
    bool readable = false;
    std::size_t videoCount = 0;
    std::size_t audioCount = 0;
    std::size_t favouriteCount = 0;
};

class ReceiverBackups {
public:
    static constexpr std::size_t kept = 50;

    explicit ReceiverBackups(std::string folder);

    // $XDG_DATA_HOME/bv3-editor/backups, or ~/.local/share/bv3-editor/backups.
    static std::string defaultFolder();

    const std::string& folder() const { return folder_; }

    // Keeps a list just received: saved into the folder (the oldest beyond 50 removed) and
    // remembered as what the receiver holds. Returns the backup's path; throws with a message
    // naming the folder when it cannot be written (the list is remembered all the same).
    std::string keep(const edit::ChannelList& received);

    // A list was sent and not received back: the receiver is taken to hold it from now on
    // (nothing is written; a backup is only made of what the receiver itself sent).
    void rememberSent(const edit::ChannelList& sent);

    // The backups, newest first.
    std::vector<edit::BackupEntry> entries() const { return edit::listBackups(folder_); }

    // The backups with their counts, newest first (each one opened).
    std::vector<BackupSummary> summaries() const;

    // What a receiver of modelCode is known to hold: the list received last in this session if it
    // was of that model, else the newest backup of that model that can be read.
    std::optional<KnownReceiverList> lastKnown(std::uint8_t modelCode) const;

private:
    std::string folder_;
    std::optional<KnownReceiverList> session_;
    std::uint8_t sessionModel_ = 0;
};

}  // namespace bv3::editor
