#pragma once
// The reversible primitives every editing operation is made of. Each holds only what it
// changes (the rows it touched and their old and new values), never a copy of the list, so a
// step of the history costs memory in proportion to the edit. apply() and revert() are exact
// inverses: revert after apply leaves every byte of the list as it was.

#include "channeldb/channel_database.h"
#include "edit/list_change.h"
#include "edit/list_state.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace bv3::edit::action {

// Replaces whole service records at the given rows.
struct ReplaceServices {
    std::vector<std::uint16_t> rows;
    std::vector<channeldb::ServiceRecord> before;
    std::vector<channeldb::ServiceRecord> after;
};

// Moves the services at `from` (rows of one group, ascending) so that they stand together, in
// their order, from group position `to` on. The other services of the group keep their order;
// the group's rows are the same rows before and after.
struct MoveServices {
    std::uint8_t group = 0;
    std::vector<std::uint16_t> from;  // group positions, ascending
    std::uint16_t to = 0;             // group position of the first moved service afterwards
};

// Reorders a range of one group's services: the service at group position first + order[i]
// goes to position first + i. Positions outside the range stay.
struct PermuteServices {
    std::uint8_t group = 0;
    std::uint16_t first = 0;
    std::vector<std::uint16_t> order;
};

// Removes service rows (ascending) and keeps them, with their identities, for the way back.
struct EraseServices {
    std::vector<std::uint16_t> rows;
    std::vector<channeldb::ServiceRecord> records;
    std::vector<ServiceId> ids;
    std::uint16_t videoBefore = 0;
    std::uint16_t audioBefore = 0;
    std::uint16_t videoAfter = 0;
    std::uint16_t audioAfter = 0;
};

// The one-row changes of the provider, network and antenna tables, one template each.

// Appends a row (no reference moves).
template <class Record>
struct AppendRow {
    Record record;
};

// Removes a row that nothing refers to; references to the rows after it move down with them.
// References outside the table stay as they are (the findings show them).
template <class Record>
struct EraseRow {
    std::uint16_t row = 0;
    Record record;
};

// Replaces a whole row.
template <class Record>
struct ReplaceRow {
    std::uint16_t row = 0;
    Record before, after;
};

using AppendProvider = AppendRow<channeldb::ProviderRecord>;
using AppendNetwork = AppendRow<channeldb::NetworkRecord>;
using EraseProvider = EraseRow<channeldb::ProviderRecord>;
using EraseNetwork = EraseRow<channeldb::NetworkRecord>;
using ReplaceProvider = ReplaceRow<channeldb::ProviderRecord>;
using ReplaceNetwork = ReplaceRow<channeldb::NetworkRecord>;
using ReplaceAntenna = ReplaceRow<channeldb::AntennaRecord>;

// Replaces whole TS records at the given rows (their numbers, or their network reference
// when the network they named goes).
struct ReplaceTsRows {
    std::vector<std::uint16_t> rows;
    std::vector<channeldb::TsRecord> before;
    std::vector<channeldb::TsRecord> after;
};

struct ReplaceMenu {
    channeldb::MenuRecord before, after;
};

// One favourite list's entries (and the services they named when they entered it).
struct FavouriteListContent {
    std::vector<std::uint16_t> entries;
    std::vector<ServiceId> targets;
    bool operator==(const FavouriteListContent&) const = default;
};
struct ReplaceFavouriteList {
    std::uint8_t group = 0;
    std::uint8_t list = 0;
    FavouriteListContent before, after;
};

}  // namespace bv3::edit::action

namespace bv3::edit {

using EditAction =
    std::variant<action::ReplaceServices, action::MoveServices, action::PermuteServices, action::EraseServices,
                 action::AppendProvider, action::AppendNetwork, action::EraseProvider, action::EraseNetwork,
                 action::ReplaceTsRows, action::ReplaceProvider, action::ReplaceNetwork, action::ReplaceAntenna,
                 action::ReplaceMenu, action::ReplaceFavouriteList>;

void applyAction(const EditAction& action, ListState& state);
void revertAction(const EditAction& action, ListState& state);
// The tables the action changes, for the change notification.
TableSet tablesOf(const EditAction& action);
// The memory the action keeps for undo and redo, in bytes (its own size included).
std::size_t memoryOf(const EditAction& action);

}  // namespace bv3::edit
