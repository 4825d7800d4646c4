#pragma once
// The three failures of the compression subsystem. Each carries the English text the user
// sees; the component and the engines raise nothing else of their own.

#include <stdexcept>
#include <string>

namespace bv3::compress {

// Raised by the compressor component for every failure of an operation (files, streams,
// buffers, headers, size checks, damaged LZRW1/KH blocks).
// The text is the component's own; where the system told why a file could not be opened,
// systemReason() holds its words ("Permission denied") for a caller that shows more.
class ELzrw1Exception : public std::runtime_error {
public:
    explicit ELzrw1Exception(const std::string& text, std::string systemReason = {})
        : std::runtime_error(text), systemReason_(std::move(systemReason)) {}
    const std::string& systemReason() const noexcept { return systemReason_; }

private:
    std::string systemReason_;
};

// Raised by the LZRW1/KH engine when its hash table cannot be had.
class ELzrw1KHCompressor : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised by the LZH engine when its dictionary tables cannot be had or released.
class ElzhException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace bv3::compress

namespace bv3::compress::messages {

// Damaged LZRW1/KH blocks, worded like the component's own size-check message.
inline constexpr const char* blockTooLong = "Lzrw1 (decompression LZRW1/KH) : Block length exceeds 32769 bytes !";
inline constexpr const char* blockItemTruncated = "Lzrw1 (decompression LZRW1/KH) : Block data ends inside an item !";
inline constexpr const char* blockCopyBeforeStart =
    "Lzrw1 (decompression LZRW1/KH) : Copy reaches before the start of the block !";
inline constexpr const char* blockOutputOverflow =
    "Lzrw1 (decompression LZRW1/KH) : Block restores to more than 32768 bytes !";

}  // namespace bv3::compress::messages
