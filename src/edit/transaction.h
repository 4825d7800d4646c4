#pragma once
// How an operation changes a list: it applies its actions one by one through a Transaction,
// reading the state as it goes, and commits them as one step. An operation that throws before
// commit() leaves the list exactly as it found it: the destructor reverts every applied action.

#include "edit/channel_list.h"
#include "edit/edit_action.h"

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

private:
    ChannelList& list_;
    std::string description_;
    std::vector<EditAction> actions_;
    bool committed_ = false;
};

}  // namespace bv3::edit
