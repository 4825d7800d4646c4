#pragma once
// The texts of a list comparison: a short report grouped under headings, for a terminal or a
// window; a one-line summary; and one JSON object for programs. Names are the lists' Latin-1
// bytes, given out as UTF-8.

#include "edit/list_diff.h"

#include <cstddef>
#include <string>

namespace bv3::edit {

struct DiffTextOptions {
    // Lines a heading shows before the rest is counted ("... and 40 more"); a whole list
    // reordered is then one line. 0 shows every line.
    std::size_t limit = 12;
};

// "the lists are the same\n", or the changes under the headings Services, Favourites,
// Providers, Networks, Transport streams, Antennas, Menu (those with changes only).
std::string diffText(const ListDiff& diff, const DiffTextOptions& options = {});

// One line: "3 services renamed, 2 moved, 1 favourite entry added, menu value 5 changed", or
// "no differences".
std::string diffSummary(const ListDiff& diff);

// {"same": bool, "services": {"added": [...], "removed": [...], "renamed": [...], "moved": [...],
// "changed": [...]}, "favourites": [...], "providers": [...], "networks": [...], "ts": [...],
// "antennas": [...], "menu": [...]}, ending in a line break.
std::string diffJson(const ListDiff& diff);

// What a service list is called: "video" or "audio".
const char* serviceListName(std::uint8_t group);

}  // namespace bv3::edit
