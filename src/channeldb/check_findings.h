#pragma once
// What an integrity check of an uploaded image or a channel list found. The checks collect
// every finding instead of stopping at the first, so a host can show the whole state of a
// file before it touches it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace bv3::channeldb {

enum class Severity {
    Warning,  // the data survives, but not unchanged (a name cut, a list dropped, an order changed)
    Error,    // the receiver would reject or misread it, or the raw writer cannot represent it
};

// The tables of a channel list. Each is a bit of its own, so that a set of tables is a mask.
enum class ListTable : std::uint8_t {
    Services = 1 << 0,
    TransportStreams = 1 << 1,
    Networks = 1 << 2,
    Providers = 1 << 3,
    Favourites = 1 << 4,
    Antennas = 1 << 5,
    Menu = 1 << 6,
};

// Where a finding is in a channel list: a table row, a favourite entry (or list, at its first
// entry), or the list as a whole.
struct ListPlace {
    std::optional<ListTable> table;  // none: the list as a whole
    std::size_t row = 0;             // the row of the table; for Favourites the entry in its list
    std::uint8_t group = 0;          // Favourites: 0 video, 1 audio
    std::uint8_t list = 0;           // Favourites: 0 .. 3
};

struct Finding {
    Severity severity = Severity::Error;
    // Where it is, for people: "offset 0x00002 (configuration area, header checksum)" or "line 42".
    std::string where;
    std::string message;
    std::optional<std::size_t> offset;  // file offset, for an image
    std::optional<std::size_t> line;    // line number (from 1) of the text, for a channel list
    ListPlace place;                    // the record, for a channel list
};

// The size of the tables as the file states them, for a short summary.
struct ChannelCounts {
    std::uint64_t videoServices = 0;
    std::uint64_t audioServices = 0;
    std::uint64_t transportStreams = 0;
    std::uint64_t networks = 0;
    std::uint64_t providers = 0;
    std::uint64_t favourites = 0;  // entries over every favourite list
};

struct CheckReport {
    ChannelCounts counts;
    std::vector<Finding> findings;

    bool passed() const { return findings.empty(); }
    bool hasErrors() const;
    const Finding* firstError() const;
};

// "where: error: message" (or "warning:"); without where when it is empty.
std::string formatFinding(const Finding& finding);

}  // namespace bv3::channeldb
