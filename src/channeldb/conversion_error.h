#pragma once
// The failures of the channel database conversions. Every message names the file it is
// about and the reason, and for QNF text also the line and the column.

#include <stdexcept>
#include <string>

namespace bv3::channeldb {

class ConversionError : public std::runtime_error {
public:
    // message is the whole text shown to the person; fileName the file it is about.
    explicit ConversionError(const std::string& message, std::string fileName = {})
        : std::runtime_error(message), fileName_(std::move(fileName)) {}

    const std::string& fileName() const noexcept { return fileName_; }

private:
    std::string fileName_;
};

// A QNF file whose first line is not the header. The text is the receiver software's own
// message; callers that print it add the file name from fileName().
class CorruptQnfHeader : public ConversionError {
public:
    explicit CorruptQnfHeader(std::string fileName) : ConversionError("Corrupt data table..", std::move(fileName)) {}
};

}  // namespace bv3::channeldb
