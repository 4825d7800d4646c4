#include "edit/operation_support.h"

#include "channeldb/qnf_names.h"
#include "edit/edit_error.h"

#include <algorithm>

namespace bv3::edit::support {

std::vector<std::size_t> rowsOfGroup(const channeldb::ChannelDatabase& db, std::uint8_t group) {
    std::vector<std::size_t> rows;
    const std::size_t count = db.serviceCount();
    rows.reserve(count);
    for (std::size_t row = 0; row < count; ++row) {
        if (groupIndex(db.services[row]) == group) {
            rows.push_back(row);
        }
    }
    return rows;
}

void checkServiceRow(const channeldb::ChannelDatabase& db, std::size_t row) {
    const std::size_t count = db.serviceCount();
    if (row >= count) {
        throw EditError("service row " + std::to_string(row) + " does not exist: the list has " +
                        plural(count, "service", "services") +
                        (count == 0 ? std::string() : " (rows 0 to " + std::to_string(count - 1) + ")"));
    }
}

std::vector<std::size_t> checkedSelection(const channeldb::ChannelDatabase& db, std::vector<std::size_t> rows) {
    if (rows.empty()) {
        throw EditError("no services selected");
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    checkServiceRow(db, rows.back());
    return rows;
}

void checkName(std::string_view name, const std::string& what) {
    if (name.size() > channeldb::nameCapacity) {
        throw EditError(what + " " + quoted(name) + " has " + std::to_string(name.size()) +
                        " characters; a name holds " + std::to_string(channeldb::nameCapacity));
    }
    // The same bytes and tags the list's writer would have to replace, refused here instead.
    const std::string fault = channeldb::qnfUnsafePart(name);
    if (!fault.empty()) {
        throw EditError(what + " " + quoted(name) + " holds " + fault + ", which the QNF text cannot carry in a name");
    }
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace bv3::edit::support
