#pragma once
// The seekable byte streams the compressor reads and writes in stream mode. The caller owns
// them; the component never creates, frees, rewinds or truncates one. Failures are reported
// the way the component expects them: a negative count or position, never an exception.

#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace bv3::safewrite {
class ReplacingFile;
}

namespace bv3::compress {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to buffer.size() bytes; returns the count (0 at the end) or -1 on failure.
    virtual std::int64_t Read(std::span<std::uint8_t> buffer) = 0;
    // Writes the bytes; returns the count written (short or -1 on failure).
    virtual std::int64_t Write(std::span<const std::uint8_t> buffer) = 0;
    // Moves the position; returns the new position or -1 on failure.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    // The whole size of the stream, or -1 when it cannot be told.
    virtual std::int64_t Size() = 0;
    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
};

// A stream over bytes held in memory; writing past the end grows it.
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::int64_t Read(std::span<std::uint8_t> buffer) override;
    std::int64_t Write(std::span<const std::uint8_t> buffer) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// A stream over a caller's std::iostream (or one of its halves), which must be seekable.
class TStdStream final : public TStream {
public:
    explicit TStdStream(std::istream& in);
    explicit TStdStream(std::ostream& out);
    explicit TStdStream(std::iostream& both);
    std::int64_t Read(std::span<std::uint8_t> buffer) override;
    std::int64_t Write(std::span<const std::uint8_t> buffer) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;

private:
    std::istream* in_ = nullptr;
    std::ostream* out_ = nullptr;
};

// A file opened by the component itself in file mode. A Read file is closed on destruction.
// A Create file is written through a temporary beside the target (safe_write/safe_write.h):
// Close() puts it in place; destroying it unclosed removes the temporary, so a failed or
// interrupted run never leaves a partial file under the target's name nor loses the file that
// had the name.
class TFileStream final : public TStream {
public:
    enum class Mode { Read, Create };
    // Opens path; IsOpen() tells whether that worked, OpenFailure() why it did not.
    TFileStream(const std::string& path, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    bool IsOpen() const { return file_ != nullptr; }
    // The system's reason the file could not be opened ("No such file or directory").
    const std::string& OpenFailure() const { return openFailure_; }
    // Closes the file (a Create file then replaces the target); false when the buffered data
    // could not be written out or the file not put in place.
    bool Close();
    std::int64_t Read(std::span<std::uint8_t> buffer) override;
    std::int64_t Write(std::span<const std::uint8_t> buffer) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;

private:
    std::unique_ptr<safewrite::ReplacingFile> replacing_;
    std::FILE* file_ = nullptr;
    std::string openFailure_;
};

}  // namespace bv3::compress
