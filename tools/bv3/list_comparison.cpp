#include "bv3/list_comparison.h"

#include "bv3/command_registry.h"
#include "channeldb/check_findings.h"
#include "channeldb/file_input.h"
#include "channeldb/uploaded_image.h"

#include <filesystem>
#include <iostream>

namespace bv3::cli {

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// An uploaded image is told by its size alone: it carries no mark of its own.
void refuseImageWithoutVariant(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size != channeldb::uploadedImageSize) {
        return;
    }
    const std::string head = channeldb::readFileBytes(path, 32);
    if (!startsWith(head, "!HZL") && !startsWith(head, "WRZL") && !startsWith(head, "[BREVORA V3 FILE]")) {
        throw CommandFailure(path + ": an uploaded image of the receiver's memory; give its configuration variant "
                                    "with --variant");
    }
}

}  // namespace

edit::ChannelList openListToCompare(const std::string& path, std::uint8_t modelCode,
                                    std::optional<std::uint8_t> configVariant) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw CommandFailure("cannot open \"" + path + "\": no such file");
    }
    if (std::filesystem::is_directory(path, error)) {
        throw CommandFailure("cannot open \"" + path + "\": it is a directory");
    }
    if (!configVariant) {
        refuseImageWithoutVariant(path);
    }
    edit::ChannelList list = [&] {
        try {
            return edit::ChannelList::fromFile(path, modelCode, configVariant);
        } catch (const std::exception& refused) {
            const std::string reason = refused.what();
            // The readers' messages mostly name the file already.
            throw CommandFailure(reason.find(path) == std::string::npos ? path + ": " + reason : reason);
        }
    }();
    std::size_t errors = 0;
    for (const auto& f : list.findings()) {
        if (f.finding.severity == channeldb::Severity::Error) {
            std::cerr << path << ": " << channeldb::formatFinding(f.finding) << '\n';
            ++errors;
        }
    }
    if (errors > 0) {
        throw CommandFailure(path + ": the list fails its checks for model " + std::to_string(modelCode) + " (" +
                             std::to_string(errors) + (errors == 1 ? " error" : " errors") + ")");
    }
    return list;
}

}  // namespace bv3::cli
