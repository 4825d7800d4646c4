#include "edit/recovery_writer.h"

#include "channeldb/qnf_writer.h"
#include "safe_write/safe_write.h"

#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

namespace bv3::edit {

namespace {

void writeThroughTheSafeWrite(const std::string& path, std::string_view bytes) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::error_code ignored;  // a folder that cannot be made is reported by the write
        std::filesystem::create_directories(folder, ignored);
    }
    safewrite::writeFileSafely(path, bytes);
}

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

RecoverySnapshot snapshotOf(const ChannelList& list, RecoverySource source, std::string sourceName) {
    RecoverySnapshot snapshot;
    snapshot.copy.source = source;
    snapshot.copy.sourceName = std::move(sourceName);
    snapshot.copy.modelCode = list.modelCode();
    snapshot.copy.configVariant = list.configVariant();
    snapshot.copy.undoPosition = list.history().doneCount();
    snapshot.database = std::make_shared<const channeldb::ChannelDatabase>(list.database());
    return snapshot;
}

RecoveryCopyWriter::RecoveryCopyWriter(std::string path, std::chrono::milliseconds interval, WriteFile write)
    : path_(std::move(path)),
      interval_(interval),
      writeFile_(write ? std::move(write) : WriteFile(writeThroughTheSafeWrite)),
      thread_([this] { run(); }) {}

RecoveryCopyWriter::~RecoveryCopyWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.reset();
    }
    wake_.notify_all();
    thread_.join();
}

void RecoveryCopyWriter::submit(RecoverySnapshot snapshot) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(snapshot);
    }
    wake_.notify_all();
}

void RecoveryCopyWriter::flush() {
    std::unique_lock lock(mutex_);
    if (pending_) {
        flushNow_ = true;
        wake_.notify_all();
    }
    idle_.wait(lock, [this] { return !pending_ && !writing_; });
    flushNow_ = false;
}

void RecoveryCopyWriter::remove() {
    std::unique_lock lock(mutex_);
    pending_.reset();
    idle_.wait(lock, [this] { return !writing_; });
    std::error_code ignored;  // a copy never written is not there to remove
    std::filesystem::remove(path_, ignored);
}

std::uint64_t RecoveryCopyWriter::writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

std::optional<std::string> RecoveryCopyWriter::takeFailure() {
    std::lock_guard lock(mutex_);
    return std::exchange(failure_, std::nullopt);
}

void RecoveryCopyWriter::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!pending_) {
            wake_.wait(lock);
            continue;
        }
        if (!flushNow_ && lastWrite_) {
            const auto due = *lastWrite_ + interval_;
            if (std::chrono::steady_clock::now() < due) {
                wake_.wait_until(lock, due);
                continue;
            }
        }
        RecoverySnapshot snapshot = std::move(*pending_);
        pending_.reset();
        writing_ = true;
        lock.unlock();
        write(std::move(snapshot));
        lock.lock();
        writing_ = false;
        lastWrite_ = std::chrono::steady_clock::now();
        idle_.notify_all();
    }
    idle_.notify_all();
}

// On the writer's thread, without the lock: the text is made and written here.
void RecoveryCopyWriter::write(RecoverySnapshot snapshot) {
    std::optional<std::string> failure;
    try {
        RecoveryCopy copy = std::move(snapshot.copy);
        copy.writtenAt = secondsNow();
        copy.qnfText = channeldb::formatQnf(*snapshot.database);
        writeFile_(path_, formatRecoveryCopy(copy));
    } catch (const std::exception& error) {
        failure = error.what();
    }
    std::lock_guard lock(mutex_);
    if (failure) {
        failure_ = std::move(failure);
    } else {
        ++writes_;
        failure_.reset();
    }
}

}  // namespace bv3::edit
