#include "edit/recovery_copy.h"

#include <array>
#include <charconv>
#include <limits>
#include <map>
#include <utility>

namespace bv3::edit {

namespace {

constexpr std::string_view firstLine = "BV3 RECOVERY COPY 1";
// A list's text is far below this; anything larger is not a copy this version wrote.
constexpr std::uint64_t largestText = 64u * 1024 * 1024;

constexpr std::array<std::pair<RecoverySource, std::string_view>, 5> sourceWords{{
    {RecoverySource::NewList, "new-list"},
    {RecoverySource::QnfFile, "qnf-file"},
    {RecoverySource::ContainerFile, "compressed-file"},
    {RecoverySource::ImageFile, "image-file"},
    {RecoverySource::Receiver, "receiver"},
}};

// A name may hold any byte; the two that would end or confuse its line are escaped.
std::string escaped(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            throw RecoveryCopyError("the name ends in the middle of an escape");
        }
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                throw RecoveryCopyError("the name holds an unknown escape");
        }
    }
    return out;
}

std::uint64_t number(std::string_view key, std::string_view text, std::uint64_t max) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value > max) {
        throw RecoveryCopyError("\"" + std::string(key) + "\" is not a number from 0 to " + std::to_string(max));
    }
    return value;
}

// Splits the header's lines off the file, up to and including the "text" line.
class HeaderReader {
public:
    explicit HeaderReader(std::string_view file) : rest_(file) {}

    std::string_view line() {
        const auto end = rest_.find('\n');
        if (end == std::string_view::npos) {
            throw RecoveryCopyError("the header is cut short");
        }
        const std::string_view text = rest_.substr(0, end);
        rest_.remove_prefix(end + 1);
        return text;
    }
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

}  // namespace

std::string_view sourceWord(RecoverySource source) {
    for (const auto& [value, word] : sourceWords) {
        if (value == source) {
            return word;
        }
    }
    return "new-list";
}

std::optional<RecoverySource> sourceFromWord(std::string_view word) {
    for (const auto& [value, known] : sourceWords) {
        if (known == word) {
            return value;
        }
    }
    return std::nullopt;
}

std::string formatRecoveryCopy(const RecoveryCopy& copy) {
    std::string out(firstLine);
    out += '\n';
    out += "written " + std::to_string(copy.writtenAt < 0 ? 0 : copy.writtenAt) + '\n';
    out += "source " + std::string(sourceWord(copy.source)) + '\n';
    out += "name " + escaped(copy.sourceName) + '\n';
    out += "model " + std::to_string(copy.modelCode) + '\n';
    out += "variant " + (copy.configVariant ? std::to_string(*copy.configVariant) : std::string("none")) + '\n';
    out += "undo " + std::to_string(copy.undoPosition) + '\n';
    out += "text " + std::to_string(copy.qnfText.size()) + '\n';
    out += copy.qnfText;
    return out;
}

RecoveryCopy parseRecoveryCopy(std::string_view file) {
    HeaderReader header(file);
    if (header.line() != firstLine) {
        throw RecoveryCopyError("it is not a recovery copy of this editor");
    }
    static constexpr std::array<std::string_view, 7> keys{"written", "source", "name", "model",
                                                          "variant", "undo",   "text"};
    std::map<std::string_view, std::string_view> values;
    for (const std::string_view key : keys) {
        const std::string_view line = header.line();
        if (line.substr(0, key.size()) != key || line.size() == key.size() || line[key.size()] != ' ') {
            throw RecoveryCopyError("the header has no \"" + std::string(key) + "\" line where it belongs");
        }
        values[key] = line.substr(key.size() + 1);
    }
    RecoveryCopy copy;
    copy.writtenAt = static_cast<std::int64_t>(
        number("written", values["written"], static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())));
    const auto source = sourceFromWord(values["source"]);
    if (!source) {
        throw RecoveryCopyError("the source \"" + std::string(values["source"]) + "\" is unknown");
    }
    copy.source = *source;
    copy.sourceName = unescaped(values["name"]);
    copy.modelCode = static_cast<std::uint8_t>(number("model", values["model"], 5));
    if (values["variant"] != "none") {
        copy.configVariant = static_cast<std::uint8_t>(number("variant", values["variant"], 255));
    }
    copy.undoPosition =
        static_cast<std::size_t>(number("undo", values["undo"], std::numeric_limits<std::uint32_t>::max()));
    const std::uint64_t length = number("text", values["text"], largestText);
    if (header.rest().size() != length) {
        throw RecoveryCopyError("the list's text holds " + std::to_string(header.rest().size()) +
                                " bytes where the header says " + std::to_string(length) + " (the copy is damaged)");
    }
    copy.qnfText = std::string(header.rest());
    return copy;
}

RecoverySource sourceOfList(const ChannelList& list) {
    switch (list.origin()) {
        case ListOrigin::New:
            return RecoverySource::NewList;
        case ListOrigin::QnfText:
            return RecoverySource::QnfFile;
        case ListOrigin::Container:
            return RecoverySource::ContainerFile;
        case ListOrigin::RawImage:
            return RecoverySource::ImageFile;
    }
    return RecoverySource::NewList;
}

ChannelList restoreList(const RecoveryCopy& copy) {
    const std::string name = copy.sourceName.empty() ? std::string("the recovery copy") : copy.sourceName;
    ChannelList list = ChannelList::fromQnfText(copy.qnfText, copy.modelCode, name);
    switch (copy.source) {
        case RecoverySource::NewList:
            list.markRestored(ListOrigin::New, {}, copy.configVariant);
            break;
        case RecoverySource::QnfFile:
            list.markRestored(ListOrigin::QnfText, copy.sourceName, copy.configVariant);
            break;
        case RecoverySource::ContainerFile:
            list.markRestored(ListOrigin::Container, copy.sourceName, copy.configVariant);
            break;
        case RecoverySource::ImageFile:
            list.markRestored(ListOrigin::RawImage, copy.sourceName, copy.configVariant);
            break;
        case RecoverySource::Receiver:
            // The upload's scratch file is long gone: the list has no file of its own.
            list.markRestored(ListOrigin::RawImage, {}, copy.configVariant);
            break;
    }
    return list;
}

}  // namespace bv3::edit
