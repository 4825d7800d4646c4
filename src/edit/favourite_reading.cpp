#include "edit/favourite_reading.h"

#include <limits>

namespace bv3::edit {

FavouriteResolver::FavouriteResolver(const channeldb::ChannelDatabase& db) : db_(db) {
    const std::size_t count = db.serviceCount();
    for (std::size_t row = 0; row < count; ++row) {
        const auto& s = db.services[row];
        Group& group = groups_[s.serviceKind == 0 ? 0 : 1];
        group.rows.push_back(row);
        if (s.channelNumber != 0) {
            group.numbered = true;
            group.byNumber.emplace(s.channelNumber, row);
        }
    }
}

std::optional<std::size_t> FavouriteResolver::resolve(std::uint8_t group, std::uint16_t entry) const {
    if (group > 1 || entry == 0) {
        return std::nullopt;
    }
    const Group& g = groups_[group];
    if (g.numbered) {
        const auto found = g.byNumber.find(entry);
        return found == g.byNumber.end() ? std::nullopt : std::optional<std::size_t>(found->second);
    }
    if (entry > g.rows.size()) {
        return std::nullopt;
    }
    return g.rows[entry - 1u];
}

std::optional<std::uint16_t> FavouriteResolver::entryFor(std::size_t row) const {
    if (row >= db_.serviceCount()) {
        return std::nullopt;
    }
    const auto& s = db_.services[row];
    const std::uint8_t group = s.serviceKind == 0 ? 0 : 1;
    const Group& g = groups_[group];
    if (g.numbered) {
        if (s.channelNumber == 0 || resolve(group, s.channelNumber) != row) {
            return std::nullopt;  // no number, or a number an earlier service also has
        }
        return s.channelNumber;
    }
    for (std::size_t p = 0; p < g.rows.size() && p < std::numeric_limits<std::uint16_t>::max(); ++p) {
        if (g.rows[p] == row) {
            return static_cast<std::uint16_t>(p + 1);
        }
    }
    return std::nullopt;
}

}  // namespace bv3::edit
