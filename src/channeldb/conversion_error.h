#pragma once
// The failures of the channel database conversions. Every message names the file it is
// about and the reason, and for QNF text also the line and the column.

#include <cstddef>
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
// message; callers that print it add the file name from fileName() and may add detail(),
// which says what is wrong with the first line.
class CorruptQnfHeader : public ConversionError {
public:
    explicit CorruptQnfHeader(std::string fileName,
                              std::string detail = "the first line is not \"[BREVORA V3 FILE]\"")
        : ConversionError("Corrupt data table..", std::move(fileName)), detail_(std::move(detail)) {}

    const std::string& detail() const noexcept { return detail_; }

private:
    std::string detail_;
};

// An uploaded image that fails the integrity checks for the model it is read as: read anyway,
// an image of another model loses or invents services. The message names the first failure
// and the models it passes for, if any.
class ImageCheckFailure : public ConversionError {
public:
    using ConversionError::ConversionError;
};

// A QNF file that ends before its [MENU] line and the menu values after it. Every list the
// system writes ends with them, so a list without them was cut off (a copy that stopped, a
// disk that filled); built into an image it would silently drop the rest of the channels.
class IncompleteQnf : public ConversionError {
public:
    IncompleteQnf(const std::string& fileName, std::size_t lastLine)
        : ConversionError(fileName + ": line " + std::to_string(lastLine) +
                              ": the list ends here without its [MENU] line and menu values: it is incomplete "
                              "(cut off?)",
                          fileName),
          lastLine_(lastLine) {}

    std::size_t lastLine() const noexcept { return lastLine_; }

private:
    std::size_t lastLine_;
};

}  // namespace bv3::channeldb
