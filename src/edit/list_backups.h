#pragma once
// Backups of the lists received from the receiver: compressed lists (.v3q, as the editor saves
// them) in one folder, named by the date and time they were received and the receiver model
// ("2026-12-11_03-45-12_model4.v3q"), so that a listing in name order is a listing in time order
// and a backup tells its model without being opened. Nothing else is written into the folder.

#include "edit/channel_list.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bv3::edit {

struct BackupEntry {
    std::string path;
    std::string when;  // "2026-12-11 03:45:12", local time
    std::uint8_t modelCode = 0;
};

// The file name of a backup received at time (local time) from a receiver of modelCode.
std::string backupFileName(std::chrono::system_clock::time_point time, std::uint8_t modelCode);

// Saves list as a compressed list into folder (made if missing) under backupFileName, or with
// "-2", "-3" ... before the extension when a backup of the same second exists. Returns the path.
// Throws safewrite::SafeWriteError or std::filesystem::filesystem_error naming the folder.
std::string saveBackup(ChannelList& list, const std::string& folder,
                       std::chrono::system_clock::time_point time = std::chrono::system_clock::now());

// The backups in folder, newest first; files of other names are not backups and not listed.
std::vector<BackupEntry> listBackups(const std::string& folder);

// Removes all but the newest keep backups. Returns how many went.
std::size_t pruneBackups(const std::string& folder, std::size_t keep);

}  // namespace bv3::edit
