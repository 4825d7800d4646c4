#pragma once
// The reading of favourite entries: which service of its group an entry names. An entry is the
// number the receiver shows for a service: its channel number where the group's services carry
// numbers, and otherwise its place in the group's list counted from 1. Built once per state, so
// that resolving every entry of every list costs one pass over the services.

#include "channeldb/channel_database.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace bv3::edit {

class FavouriteResolver {
public:
    explicit FavouriteResolver(const channeldb::ChannelDatabase& db);

    // The row of the service the entry of group (0 video, 1 audio) names, if any. Where two
    // services of a group share the number, the first in list order.
    std::optional<std::size_t> resolve(std::uint8_t group, std::uint16_t entry) const;
    // The entry that names the service at row, if one does.
    std::optional<std::uint16_t> entryFor(std::size_t row) const;
    // Whether the group's services carry channel numbers (any service with a number not 0).
    bool numbered(std::uint8_t group) const { return groups_[group].numbered; }

private:
    struct Group {
        std::vector<std::size_t> rows;  // in list order
        bool numbered = false;
        std::unordered_map<std::uint16_t, std::size_t> byNumber;  // first row with each number
    };
    const channeldb::ChannelDatabase& db_;
    std::array<Group, 2> groups_;
};

}  // namespace bv3::edit
