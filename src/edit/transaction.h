#pragma once
// How an operation changes a list: it applies its actions one by one through a Transaction,
// reading the state as it goes, and commits them as one step. An operation that throws before
// commit() leaves the list exactly as it found it: the destructor reverts every applied action.

#include "edit/channel_list.h"
#include "edit/edit_action.h"
#include "edit/favourite_following.h"

#include <optional>
#include <string>
#include <vector>

namespace bv3::edit {

class Transaction {
public:
    Transaction(ChannelList& list, std::string description);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    const ListState& state() const { return list_.state(); }
    const channeldb::ChannelDatabase& db() const { return *list_.state().db; }
    std::uint8_t modelCode() const { return list_.modelCode(); }

    void apply(EditAction action);
    // Records the applied actions as one step (nothing when there are none) and tells the
    // listeners. The description can still change until then.
    void commit();
    void setDescription(std::string description) { description_ = std::move(description); }
    bool empty() const { return actions_.empty(); }
    // The operation sets the favourite entries as it means them (reference order carrying
    // favourites over): they do not follow their services on commit.
    void leaveFavouritesAsSet() { favouritesAsSet_ = true; }

private:
    void followFavourites();

    ChannelList& list_;
    std::string description_;
    std::vector<EditAction> actions_;
    bool committed_ = false;
    bool favouritesAsSet_ = false;
    // What every favourite entry named before the first action that moved or renumbered a
    // service (none: no such action, or the list keeps its entries as they are).
    std::optional<FavouriteNaming> namedBefore_;
    FavouriteListSet listsSet_{};
};

}  // namespace bv3::edit
