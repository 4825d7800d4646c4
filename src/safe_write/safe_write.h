#pragma once
// The one way this system writes a file: a file appears whole under its name, or the file
// that had the name before stays exactly as it was.
//
// The bytes go to a temporary beside the target (same folder, so the final rename never
// crosses file systems); it is flushed to the disk and closed with both checked, then renamed
// over the target, and the folder is flushed after the rename, so that a saved file also
// survives a power cut (file_system_operations.h). Every failure removes the temporary before it is reported. A process killed while
// writing leaves at most a "<target>.part-XXXXXXXX" file, never a truncated target.
//
// Every writer (the conversions, the compressor in file mode, the received upload image, the
// download build's temporaries, the simulator's saved files) goes through ReplacingFile or
// writeFileSafely, and every failure is a SafeWriteError. Standard library only: the
// channel database and the compressor use it.
//
// Two kinds of target are not replaced by a rename, because a rename would do the wrong
// thing to them: a target that is not a regular file (a character device such as /dev/null,
// a FIFO) is written in place, and is never removed on failure; a symbolic link to a file is
// followed, so the file it names is replaced and the link stays a link.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace bv3::safewrite {

// The failure of a write. what() is "cannot write '<path>': <reason>"; the reason is the
// system's own where it gave one ("Permission denied", "No space left on device").
class SafeWriteError : public std::runtime_error {
public:
    SafeWriteError(std::string path, std::string reason);
    const std::string& path() const noexcept { return path_; }
    const std::string& reason() const noexcept { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

// A file being written under a temporary name. Nothing is visible under the target's name
// until commit() succeeds; destroying it uncommitted (an exception, an early return) removes
// the temporary. Not copyable: it owns the open file and the temporary.
class ReplacingFile {
public:
    // Refuses at once, before anything is created, a target that cannot be replaced: no name,
    // a folder, a missing folder, or an existing file that is read-only (the same refusal
    // for every command: a read-only file is the user's "do not touch"). Throws SafeWriteError.
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Appends the bytes; throws SafeWriteError (the temporary is removed) when they cannot be
    // written.
    void write(std::span<const std::byte> bytes);
    void write(std::string_view text);
    // The open file, for writers that stream through stdio themselves (the compressor); a
    // failed write there is caught at the latest by commit()'s checked flush and close.
    std::FILE* handle() noexcept { return file_; }

    // Flushes the file to the disk and closes it, both checked, without putting it in place yet: a writer of
    // several files closes them all before it renames any, so that a full disk leaves every
    // target as it was. Throws SafeWriteError (the temporary is removed). Optional.
    void close();
    // close() unless done, then renames the file over the target. Throws SafeWriteError; the
    // temporary is then gone and the target untouched.
    void commit();
    // Gives up: closes and removes the temporary (an in-place target is left as it is).
    // Later calls, and destruction, do nothing more.
    void discard() noexcept;

    const std::string& target() const noexcept { return target_; }
    // Where the bytes are going until commit(): the temporary, or the target itself when it is
    // written in place.
    const std::filesystem::path& writingTo() const noexcept { return writingTo_; }

private:
    [[noreturn]] void fail(const std::string& reason);

    std::string target_;
    std::filesystem::path final_;      // the target with a symbolic link followed
    std::filesystem::path writingTo_;  // temporary, or final_ when written in place
    bool inPlace_ = false;
    std::FILE* file_ = nullptr;
    bool finished_ = false;
};

// The whole file in one call: ReplacingFile, write, commit.
void writeFileSafely(const std::string& target, std::span<const std::byte> bytes);
void writeFileSafely(const std::string& target, std::span<const std::uint8_t> bytes);
void writeFileSafely(const std::string& target, std::string_view text);

// The refusals of ReplacingFile's constructor without creating anything: for a writer that
// is not the one that will write the file (the download build, whose encoder writes the
// image) but must refuse a target that can never be written before it starts.
void refuseUnwritableTarget(const std::string& target);

// Throws SafeWriteError naming output when it is the same file as input once links and
// relative names are resolved: opening the output for writing would destroy the input before
// it is read. Does nothing when either does not exist yet.
void refuseOutputThatIsInput(const std::string& input, const std::string& output);

}  // namespace bv3::safewrite
