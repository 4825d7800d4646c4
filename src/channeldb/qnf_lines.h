#pragma once
// Where the records of a QNF text stand: the line of each table row and favourite entry. A text
// report names a finding by its line; the findings themselves carry their place (ListPlace).

#include "channeldb/channel_database.h"
#include "channeldb/check_findings.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace bv3::channeldb {

// The line numbers (from 1) of the data lines of a QNF text, by table row: where a text report
// says a finding is.
struct QnfLineMap {
    std::vector<std::size_t> transportStreams;
    std::vector<std::size_t> networks;
    std::vector<std::size_t> providers;
    std::vector<std::size_t> services;
    // The line of each entry of each favourite list, in list order.
    std::array<std::array<std::vector<std::size_t>, favouriteListsPerGroup>, favouriteGroupCount> favourites;

    bool operator==(const QnfLineMap&) const = default;
};

// The lines of a text, found by the scanner the reader reads with (qnf_scanner.h).
QnfLineMap mapQnfLines(std::string_view text);

// The line of a place; a favourite list stands at its first entry. None for a place the map
// has no line for.
std::optional<std::size_t> lineOf(const QnfLineMap& lines, const ListPlace& place);

}  // namespace bv3::channeldb
