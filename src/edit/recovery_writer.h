#pragma once
// Keeps one editor's recovery copy on the disk, off the caller's thread. The caller (the
// editor's window, on its UI thread) hands over a snapshot after each change: a copy of the
// list's tables, which is quick; turning it into text and writing it through the safe write
// (which flushes to the disk) happens on the writer's own thread. The newest snapshot wins,
// and copies are written at most once per interval, so a burst of edits costs one write.
//
// The thread is started by the constructor and joined by the destructor; a snapshot still
// waiting then is dropped and the file left as it is: only remove() takes the copy away,
// since a copy on the disk is what the next start offers when this one did not end cleanly.

#include "channeldb/channel_database.h"
#include "edit/channel_list.h"
#include "edit/recovery_copy.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace bv3::edit {

// A list as it stood at a change: the copy's header without its text, and the tables.
struct RecoverySnapshot {
    RecoveryCopy copy;
    std::shared_ptr<const channeldb::ChannelDatabase> database;
};

// The snapshot of list as it stands (on the caller's thread: one copy of the tables).
RecoverySnapshot snapshotOf(const ChannelList& list, RecoverySource source, std::string sourceName);

class RecoveryCopyWriter {
public:
    // How the bytes reach the disk: the safe write by default; tests count or refuse writes.
    using WriteFile = std::function<void(const std::string& path, std::string_view bytes)>;

    RecoveryCopyWriter(std::string path, std::chrono::milliseconds interval, WriteFile write = {});
    ~RecoveryCopyWriter();
    RecoveryCopyWriter(const RecoveryCopyWriter&) = delete;
    RecoveryCopyWriter& operator=(const RecoveryCopyWriter&) = delete;

    // Takes the newest state of the list. Returns at once; the copy is written when the
    // interval since the last write has passed.
    void submit(RecoverySnapshot snapshot);
    // Writes a waiting snapshot now and returns once it is on the disk (or failed).
    void flush();
    // Drops a waiting snapshot, waits for a write under way, and removes the copy: the list
    // was saved, made clean again, or closed on purpose.
    void remove();

    const std::string& path() const { return path_; }
    // The copies written so far.
    std::uint64_t writes() const;
    // The reason the newest write failed, once: taken by the call (a full disk is said once,
    // not after every edit). A later good write clears it.
    std::optional<std::string> takeFailure();

private:
    void run();
    void write(RecoverySnapshot snapshot);

    const std::string path_;
    const std::chrono::milliseconds interval_;
    const WriteFile writeFile_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<RecoverySnapshot> pending_;
    bool writing_ = false;
    bool flushNow_ = false;
    bool stopping_ = false;
    std::optional<std::chrono::steady_clock::time_point> lastWrite_;
    std::uint64_t writes_ = 0;
    std::optional<std::string> failure_;
    std::thread thread_;
};

}  // namespace bv3::edit
