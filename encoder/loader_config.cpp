#include "loader_config.h"

#include "channeldb/quoted_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace bv3::qdf {

namespace {

constexpr std::string_view blank = " \t\r";

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(blank);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(blank);
    return text.substr(first, last - first + 1);
}

std::string lower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

class Parser {
public:
    Parser(std::string_view text, const std::string& fileName) : text_(text), fileName_(fileName) {}

    LoaderConfig parse() {
        std::size_t start = 0;
        while (start <= text_.size()) {
            const auto end = std::min(text_.find('\n', start), text_.size());
            ++line_;
            parseLine(trim(text_.substr(start, end - start)));
            start = end + 1;
        }
        if (block_ != Block::none) {
            fail(blockLine_, "the block opened here is never closed with \"]\"");
        }
        if (!headerSeen_) {
            fail(0, "there is no [header block");
        }
        if (config_.data.empty()) {
            fail(0, "there is no [Data block");
        }
        return config_;
    }

private:
    enum class Block { none, header, data };

    [[noreturn]] void fail(int line, const std::string& reason) const {
        throw LoaderConfigError(line > 0 ? fileName_ + ", line " + std::to_string(line) + ": " + reason
                                         : fileName_ + ": " + reason);
    }

    void parseLine(std::string_view line) {
        if (line.empty()) {
            return;
        }
        if (line == "]") {
            closeBlock();
        } else if (line.front() == '[') {
            openBlock(line.substr(1));
        } else {
            parseEntry(line);
        }
    }

    void openBlock(std::string_view name) {
        if (block_ != Block::none) {
            fail(line_, "a block opens before the one opened on line " + std::to_string(blockLine_) + " is closed");
        }
        if (name.ends_with(']')) {
            name.remove_suffix(1);
        }
        const std::string key = lower(trim(name));
        blockLine_ = line_;
        seenKeys_.clear();
        if (key == "header") {
            if (headerSeen_) {
                fail(line_, "a second [header block");
            }
            headerSeen_ = true;
            block_ = Block::header;
        } else if (key == "data") {
            block_ = Block::data;
            LoaderDataEntry entry;
            entry.line = line_;
            config_.data.push_back(std::move(entry));
        } else {
            fail(line_, "unknown block \"[" + bv3::channeldb::quotedText(name) + "\"");
        }
    }

    void closeBlock() {
        if (block_ == Block::none) {
            fail(line_, "\"]\" closes no block");
        }
        const auto require = [this](const char* key) {
            if (std::find(seenKeys_.begin(), seenKeys_.end(), key) == seenKeys_.end()) {
                fail(blockLine_, std::string("the block has no ") + key);
            }
        };
        if (block_ == Block::header) {
            require("id");
            require("e_id");
            require("ver");
            if (config_.header.firstId > config_.header.lastId) {
                fail(blockLine_, "ID is above E_ID");
            }
        } else {
            require("file");
            require("address");
        }
        block_ = Block::none;
    }

    void parseEntry(std::string_view line) {
        if (block_ == Block::none) {
            fail(line_, "\"" + bv3::channeldb::quotedText(line) + "\" stands outside any block");
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            fail(line_, "\"" + bv3::channeldb::quotedText(line) + "\" is not of the form KEY = VALUE");
        }
        const std::string key = lower(trim(line.substr(0, equals)));
        const std::string_view value = trim(line.substr(equals + 1));
        if (std::find(seenKeys_.begin(), seenKeys_.end(), key) != seenKeys_.end()) {
            fail(line_, "the key " + bv3::channeldb::quotedText(trim(line.substr(0, equals))) +
                            " is given twice in one block");
        }
        seenKeys_.push_back(key);
        if (block_ == Block::header) {
            headerEntry(key, value);
        } else {
            dataEntry(key, value, config_.data.back());
        }
    }

    void headerEntry(const std::string& key, std::string_view value) {
        if (key == "id") {
            config_.header.firstId = number(value);
        } else if (key == "e_id") {
            config_.header.lastId = number(value);
        } else if (key == "ver") {
            config_.header.loaderVersion = number(value);
        } else {
            fail(line_, "unknown key \"" + key + "\" in the [header block");
        }
    }

    void dataEntry(const std::string& key, std::string_view value, LoaderDataEntry& entry) {
        if (key == "file") {
            entry.file = fileName(value);
        } else if (key == "type") {
            const std::string type = lower(value);
            if (type == "flash") {
                entry.type = BlockType::flash;
            } else if (type == "eeprom") {
                entry.type = BlockType::eeprom;
            } else {
                fail(line_, "TYPE must be flash or eeprom, not \"" + bv3::channeldb::quotedText(value) + "\"");
            }
        } else if (key == "compression") {
            const std::string answer = lower(value);
            if (answer != "yes" && answer != "no") {
                fail(line_, "COMPRESSION must be yes or no, not \"" + bv3::channeldb::quotedText(value) + "\"");
            }
            entry.compression = answer == "yes";
        } else if (key == "address") {
            entry.address = number(value);
        } else {
            fail(line_, "unknown key \"" + key + "\" in a [Data block");
        }
    }

    std::string fileName(std::string_view value) const {
        if (value.starts_with('"')) {
            if (value.size() < 2 || !value.ends_with('"')) {
                fail(line_, "the file name " + bv3::channeldb::quotedText(value) + " lacks its closing quote");
            }
            value = value.substr(1, value.size() - 2);
        }
        if (value.empty()) {
            fail(line_, "the file name is empty");
        }
        return std::string(value);
    }

    std::uint32_t number(std::string_view value) const {
        std::string_view digits = value;
        int base = 10;
        if (digits.starts_with('$')) {
            digits.remove_prefix(1);
            base = 16;
        }
        std::uint64_t result = 0;
        const char* end = digits.data() + digits.size();
        const auto [stop, error] = std::from_chars(digits.data(), end, result, base);
        if (digits.empty() || error != std::errc() || stop != end || result > 0xFFFFFFFFull) {
            fail(line_, "\"" + bv3::channeldb::quotedText(value) + "\" is not a 32-bit number (decimal or $ hex)");
        }
        return static_cast<std::uint32_t>(result);
    }

    std::string_view text_;
    const std::string& fileName_;
    LoaderConfig config_;
    Block block_ = Block::none;
    bool headerSeen_ = false;
    int line_ = 0;
    int blockLine_ = 0;
    std::vector<std::string> seenKeys_;
};

}  // namespace

LoaderConfig parseLoaderConfig(std::string_view text, const std::string& fileName) {
    return Parser(text, fileName).parse();
}

}  // namespace bv3::qdf
