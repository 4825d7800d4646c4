#pragma once
// Reference order: after the receiver rescans, put the new list back into the user's own
// order by taking another list as the model.
//
// Matching, in two passes. By name: a service of this list matches a service of the reference
// of the same kind and the same name whose TS numbers (the numbers of its TS record, the
// network row aside) are the same, where both services name a TS; when either names none, kind
// and name decide. Each reference service, in reference order, takes the first service of this
// list that matches it and is not taken yet, so duplicates pair up in order. By numbers, for a
// renamed service: a reference service the names left unmatched takes the first service left
// untaken of the same kind, the same service words and the same TS numbers (both must name a TS
// and carry a word that is not zero). The name pass runs over the whole reference first, so a
// number match never takes a service a name would have taken. Matched services take the
// reference's order within their group; the others keep their relative order after them, or
// are dropped.

#include "channeldb/channel_database.h"
#include "edit/channel_list.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace bv3::edit {

struct ReorderOptions {
    bool dropUnmatched = false;
    // Replaces this list's favourite lists by the reference's, entry by entry where the entry
    // resolves to a reference service that matched (the entry written is the one that names the
    // matched service here); entries that do not carry over are left out and counted.
    bool carryFavourites = false;
    // The reference's model: whether its channel numbers are its receiver's own (models 3, 4,
    // 5 keep them). Unknown: taken as keeping them.
    std::optional<std::uint8_t> referenceModel;
};

struct ReorderReport {
    std::size_t matched = 0;
    std::size_t matchedRenamed = 0;      // of those, matched by their numbers under another name
    std::size_t unmatched = 0;           // services of this list with no counterpart
    std::size_t dropped = 0;             // of those, removed (dropUnmatched)
    std::size_t referenceUnmatched = 0;  // reference services nothing here matched
    std::size_t numbersTaken = 0;        // channel numbers changed to the reference's
    std::size_t favouritesCarried = 0;
    std::size_t favouritesLeftOut = 0;
};

// The pairs without changing anything: for each row of this list, the reference row it
// matches.
std::vector<std::optional<std::size_t>> matchServices(const channeldb::ChannelDatabase& list,
                                                      const channeldb::ChannelDatabase& reference);

// Orders list like reference, as one history step. Channel numbers follow for the models that
// keep them (3, 4, 5): a matched service takes its counterpart's number; an unmatched one keeps
// its own unless a matched service of its group took that number, and then has none.
ReorderReport reorderByReference(ChannelList& list, const channeldb::ChannelDatabase& reference,
                                 const ReorderOptions& options = {});

}  // namespace bv3::edit
