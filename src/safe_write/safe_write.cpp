#include "safe_write/safe_write.h"

#include "safe_write/file_system_operations.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <system_error>

namespace bv3::safewrite {

namespace fs = std::filesystem;

namespace {

std::string reasonOf(int error) {
    return error != 0 ? std::strerror(error) : std::string("input/output error");
}

// Eight hex digits no other writer of this process or another is likely to pick: two
// processes writing the same target must not share a temporary.
std::string uniqueSuffix() {
    static std::atomic<std::uint32_t> serial{0};
    static const std::uint32_t seed = [] {
        std::random_device device;
        return static_cast<std::uint32_t>(device()) ^
               static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }();
    std::uint32_t value = seed + 0x9E3779B9u * ++serial;
    value ^= value >> 16;
    value *= 0x85EBCA6Bu;
    value ^= value >> 13;
    static constexpr char digits[] = "0123456789abcdef";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4) {
        text[static_cast<std::size_t>(i)] = digits[value & 0xF];
    }
    return text;
}

}  // namespace

SafeWriteError::SafeWriteError(std::string path, std::string reason)
    : std::runtime_error("cannot write '" + path + "': " + reason), path_(std::move(path)), reason_(std::move(reason)) {}

namespace {

struct TargetState {
    fs::path final;  // the target with a symbolic link followed
    fs::file_status status;
};

// The checks every writer makes before it creates anything.
TargetState examineTarget(const std::string& target) {
    if (target.empty()) {
        throw SafeWriteError(target, "no file name given");
    }
    std::error_code error;
    TargetState state{fs::path(target), {}};
    if (fs::is_symlink(state.final, error)) {
        const fs::path resolved = fs::weakly_canonical(state.final, error);
        if (!error) {
            state.final = resolved;
        }
    }
    state.status = fs::status(state.final, error);
    if (fs::is_directory(state.status)) {
        throw SafeWriteError(target, "it is a folder");
    }
    if (fs::exists(state.status)) {
        // Opening for appending changes nothing in the file but asks the system the one
        // question that matters: may this process write it?
        errno = 0;
        std::FILE* probe = std::fopen(state.final.string().c_str(), "ab");
        if (probe == nullptr) {
            throw SafeWriteError(target, reasonOf(errno));
        }
        std::fclose(probe);
    } else {
        const fs::path folder = state.final.has_parent_path() ? state.final.parent_path() : fs::path(".");
        if (!fs::is_directory(folder, error)) {
            throw SafeWriteError(target, "the folder '" + folder.string() + "' does not exist");
        }
    }
    return state;
}

}  // namespace

void refuseUnwritableTarget(const std::string& target) {
    examineTarget(target);
}

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {
    const TargetState state = examineTarget(target_);
    final_ = state.final;
    const fs::file_status status = state.status;
    std::error_code error;
    inPlace_ = fs::exists(status) && !fs::is_regular_file(status);
    if (inPlace_) {
        writingTo_ = final_;
    } else {
        writingTo_ = final_;
        writingTo_ += ".part-" + uniqueSuffix();
    }
    errno = 0;
    file_ = std::fopen(writingTo_.string().c_str(), "wb");
    if (file_ == nullptr) {
        throw SafeWriteError(target_, reasonOf(errno));
    }
    if (!inPlace_ && fs::exists(status)) {
        // The replacement keeps the permissions the user gave the file it replaces.
        fs::permissions(writingTo_, status.permissions(), error);
    }
}

ReplacingFile::~ReplacingFile() {
    discard();
}

void ReplacingFile::fail(const std::string& reason) {
    discard();
    throw SafeWriteError(target_, reason);
}

void ReplacingFile::write(std::span<const std::byte> bytes) {
    if (file_ == nullptr) {
        throw SafeWriteError(target_, "the file is already closed");
    }
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        fail(reasonOf(errno));
    }
}

void ReplacingFile::write(std::string_view text) {
    write(std::as_bytes(std::span(text.data(), text.size())));
}

void ReplacingFile::close() {
    if (file_ == nullptr) {
        throw SafeWriteError(target_, "the file is already closed");
    }
    errno = 0;
    bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    int closeError = errno;
    // A temporary's data goes to the disk before it can be renamed over the target. A target
    // written in place (a device, a FIFO) has no disk to go to.
    if (flushed && !inPlace_) {
        closeError = fileOperations().syncFile(file_);
        flushed = closeError == 0;
    }
    std::FILE* closing = file_;
    file_ = nullptr;
    const bool closed = std::fclose(closing) == 0;
    if (!closed && closeError == 0) {
        closeError = errno;
    }
    if (!flushed || !closed) {
        fail(reasonOf(closeError));
    }
}

void ReplacingFile::commit() {
    if (finished_) {
        throw SafeWriteError(target_, "the file is already closed");
    }
    if (file_ != nullptr) {
        close();
    }
    if (!inPlace_) {
        const int renameError = fileOperations().replace(writingTo_, final_);
        if (renameError != 0) {
            fail(reasonOf(renameError));
        }
        finished_ = true;
        // The rename lives in the folder's entries, which need their own flush to survive a
        // power cut. The new file is already in place: a failure here is still reported,
        // because the save is not known to be on the disk.
        const fs::path folder = final_.has_parent_path() ? final_.parent_path() : fs::path(".");
        const int folderError = fileOperations().syncFolder(folder);
        if (folderError != 0) {
            throw SafeWriteError(target_, "the folder '" + folder.string() +
                                              "' could not be flushed to the disk: " + reasonOf(folderError));
        }
    }
    finished_ = true;
}

void ReplacingFile::discard() noexcept {
    if (finished_) {
        return;
    }
    finished_ = true;
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!inPlace_ && !writingTo_.empty()) {
        std::error_code ignored;
        fs::remove(writingTo_, ignored);
    }
}

void writeFileSafely(const std::string& target, std::span<const std::byte> bytes) {
    ReplacingFile file(target);
    file.write(bytes);
    file.commit();
}

void writeFileSafely(const std::string& target, std::span<const std::uint8_t> bytes) {
    writeFileSafely(target, std::as_bytes(bytes));
}

void writeFileSafely(const std::string& target, std::string_view text) {
    writeFileSafely(target, std::as_bytes(std::span(text.data(), text.size())));
}

void refuseOutputThatIsInput(const std::string& input, const std::string& output) {
    std::error_code error;
    if (!input.empty() && !output.empty() && fs::equivalent(input, output, error) && !error) {
        throw SafeWriteError(output, "it is the input file '" + input + "'");
    }
}

}  // namespace bv3::safewrite
