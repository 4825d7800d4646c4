#include "edit/list_file_kind.h"

#include "channeldb/file_input.h"
#include "channeldb/uploaded_image.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace bv3::edit {

namespace {

std::optional<std::uintmax_t> sizeOf(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? std::nullopt : std::optional<std::uintmax_t>(size);
}

bool textByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x20 && b < 0x7F) || b == '\t' || b == '\r' || b == '\n';
}

}  // namespace

ListFileKind listFileKind(const std::string& path) {
    std::string head;
    try {
        head = channeldb::readFileBytes(path, 32);
    } catch (const std::exception&) {
        return ListFileKind::QnfText;
    }
    const auto size = sizeOf(path);
    return listFileKind(head, size.value_or(head.size()));
}

ListFileKind listFileKind(std::string_view head, std::uintmax_t size) {
    head = head.substr(0, std::min<std::size_t>(head.size(), 32));
    if (head.starts_with("!HZL") || head.starts_with("WRZL")) {
        return ListFileKind::Container;
    }
    if (size == channeldb::uploadedImageSize) {
        return ListFileKind::RawImage;
    }
    if (head.empty() || std::all_of(head.begin(), head.end(), textByte)) {
        return ListFileKind::QnfText;
    }
    return ListFileKind::RawImage;
}

std::optional<std::string> shortImageMessage(const std::string& path) {
    const auto size = sizeOf(path);
    if (!size) {
        return std::nullopt;
    }
    return shortImageMessage(path, *size);
}

std::optional<std::string> shortImageMessage(const std::string& path, std::uintmax_t size) {
    if (size >= channeldb::uploadedImageSize) {
        return std::nullopt;
    }
    return "\"" + path + "\" holds " + std::to_string(size) + " bytes, but an upload from the receiver holds " +
           std::to_string(channeldb::uploadedImageSize) + ": the image is cut short and is not opened";
}

}  // namespace bv3::edit
