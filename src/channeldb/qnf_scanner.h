#pragma once
// How a QNF text falls into lines and sections, stated once for the reader, the checks and the
// name rules. A line ends at CR, and one LF right after it belongs to the line end; Ctrl-Z ends
// the text like its physical end. The first line is the header. A line holding a section tag
// anywhere switches to that section (the tags are looked for in the order of qnfSectionTags)
// and is no data line itself.

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace bv3::channeldb {

inline constexpr std::string_view qnfHeaderLine = "[BREVORA V3 FILE]";

enum class QnfSection { None, Antenna, Ts, Network, Provider, Favourite, Service, Menu };

inline constexpr std::pair<std::string_view, QnfSection> qnfSectionTags[] = {
    {"[ANTENNA]", QnfSection::Antenna},    {"[TS]", QnfSection::Ts},
    {"[NETWORK]", QnfSection::Network},    {"[PROVIDER]", QnfSection::Provider},
    {"[FAVORITE]", QnfSection::Favourite}, {"[SERVICE]", QnfSection::Service},
    {"[MENU]", QnfSection::Menu},
};

// The first section tag a line holds, in the order the reader looks for them.
constexpr std::optional<std::pair<std::string_view, QnfSection>> qnfSectionTagIn(std::string_view line) {
    for (const auto& tag : qnfSectionTags) {
        if (line.find(tag.first) != std::string_view::npos) {
            return tag;
        }
    }
    return std::nullopt;
}

// The lines of a text, numbered from 1.
class QnfLineSplitter {
public:
    explicit QnfLineSplitter(std::string_view text) : text_(text.substr(0, text.find('\x1A'))) {}

    std::optional<std::string_view> next() {
        if (position_ >= text_.size()) {
            return std::nullopt;
        }
        const std::size_t cr = text_.find('\r', position_);
        const std::size_t end = cr == std::string_view::npos ? text_.size() : cr;
        const std::string_view line = text_.substr(position_, end - position_);
        position_ = end;
        if (cr != std::string_view::npos) {
            ++position_;
            if (position_ < text_.size() && text_[position_] == '\n') {
                ++position_;
            }
        }
        ++number_;
        return line;
    }

    // The number of the line next() gave last.
    std::size_t lineNumber() const { return number_; }

private:
    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t number_ = 0;
};

// A line of a section, with its number.
struct QnfDataLine {
    std::string_view text;
    std::size_t number = 0;
    QnfSection section = QnfSection::None;
};

// The header, then the data lines with the section each stands in.
class QnfScanner {
public:
    explicit QnfScanner(std::string_view text) : lines_(text) {}

    // The first line; call it once, before next().
    std::optional<std::string_view> header() { return lines_.next(); }

    // The next line that is not a section tag; lines before the first tag stand in
    // QnfSection::None.
    std::optional<QnfDataLine> next() {
        while (const auto line = lines_.next()) {
            if (const auto tag = qnfSectionTagIn(*line)) {
                section_ = tag->second;
                continue;
            }
            return QnfDataLine{*line, lines_.lineNumber(), section_};
        }
        return std::nullopt;
    }

    // The number of the last line read, tag lines included.
    std::size_t lineNumber() const { return lines_.lineNumber(); }

private:
    QnfLineSplitter lines_;
    QnfSection section_ = QnfSection::None;
};

}  // namespace bv3::channeldb
