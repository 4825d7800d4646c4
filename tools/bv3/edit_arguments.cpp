#include "bv3/edit_arguments.h"

#include "bv3/command_registry.h"
#include "bv3/number_text.h"
#include "edit/edit_error.h"
#include "edit/receiver_text.h"
#include "edit/service_operations.h"

#include <algorithm>
#include <cctype>

namespace bv3::cli {

void refuseOperand(const OptionText& given, const std::string& why) {
    throw CommandFailure(given.option + " " + given.text + ": " + why);
}

std::uint32_t operandNumber(const OptionText& given, const std::string& text, std::uint32_t max) {
    const auto value = numberFromText(text, max);
    if (!value) {
        refuseOperand(given, "'" + text + "' is not a number from 0 to " + std::to_string(max));
    }
    return *value;
}

std::pair<std::string, std::string> splitOperand(const OptionText& given, const std::string& text, char separator) {
    const std::size_t at = text.find(separator);
    if (at == std::string::npos) {
        refuseOperand(given, std::string("expected '") + separator + "' in '" + text + "'");
    }
    return {text.substr(0, at), text.substr(at + 1)};
}

std::vector<std::string> fieldsOf(const std::string& text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        fields.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return fields;
        }
        start = end + 1;
    }
}

std::size_t operandRow(const OptionText& given, const std::string& text, const edit::ChannelList& list,
                       RowTable table) {
    const auto& db = list.database();
    if (!text.starts_with("@")) {
        return operandNumber(given, text, 0xFFFF);
    }
    // Names are typed in UTF-8 and held in the receiver's character set.
    std::string name;
    try {
        name = edit::receiverTextFromUtf8(text.substr(1));
    } catch (const edit::EditError& refused) {
        refuseOperand(given, refused.what());
    }
    auto find = [&](std::size_t count, auto&& nameOf, const char* what) -> std::size_t {
        for (std::size_t row = 0; row < count; ++row) {
            if (nameOf(row) == name) {
                return row;
            }
        }
        refuseOperand(given, std::string("the list has no ") + what + " named \"" + name + "\"");
    };
    switch (table) {
        case RowTable::Providers:
            return find(
                db.providerCount, [&](std::size_t r) { return db.providers[r].provName; }, "provider");
        case RowTable::Networks:
            return find(
                db.networkCount, [&](std::size_t r) { return db.networks[r].netName; }, "network");
        case RowTable::Services:
            break;
    }
    return find(
        db.serviceCount(), [&](std::size_t r) { return db.services[r].svcName; }, "service");
}

std::vector<std::size_t> operandRows(const OptionText& given, const std::string& text, const edit::ChannelList& list) {
    if (text.starts_with("@")) {
        return {operandRow(given, text, list, RowTable::Services)};
    }
    std::vector<std::size_t> rows;
    for (const std::string& item : fieldsOf(text, ',')) {
        const std::size_t dash = item.find('-');
        if (dash == std::string::npos) {
            rows.push_back(operandNumber(given, item, 0xFFFF));
            continue;
        }
        const std::uint32_t first = operandNumber(given, item.substr(0, dash), 0xFFFF);
        const std::uint32_t last = operandNumber(given, item.substr(dash + 1), 0xFFFF);
        if (last < first) {
            refuseOperand(given, "the range " + item + " runs backwards");
        }
        for (std::uint32_t row = first; row <= last; ++row) {
            rows.push_back(row);
        }
    }
    return rows;
}

edit::ServiceGroup operandGroup(const OptionText& given, const std::string& text) {
    if (text == "video" || text == "0") {
        return edit::ServiceGroup::Video;
    }
    if (text == "audio" || text == "1") {
        return edit::ServiceGroup::Audio;
    }
    refuseOperand(given, "'" + text + "' is not a list: video or audio");
}

bool operandBool(const OptionText& given, const std::string& text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "true" || lower == "1" || lower == "on") {
        return true;
    }
    if (lower == "false" || lower == "0" || lower == "off") {
        return false;
    }
    refuseOperand(given, "'" + text + "' is not true or false");
}

}  // namespace bv3::cli
