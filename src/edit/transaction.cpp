#include "edit/transaction.h"

namespace bv3::edit {

Transaction::Transaction(ChannelList& list, std::string description)
    : list_(list), description_(std::move(description)) {}

Transaction::~Transaction() {
    if (!committed_) {
        for (auto action = actions_.rbegin(); action != actions_.rend(); ++action) {
            revertAction(*action, list_.mutableState());
        }
    }
}

namespace {

// The actions that can change which service a favourite entry names: they change channel
// numbers, the order of a list or its rows.
bool changesNaming(const EditAction& action) {
    return std::holds_alternative<action::ReplaceServices>(action) ||
           std::holds_alternative<action::MoveServices>(action) ||
           std::holds_alternative<action::PermuteServices>(action) ||
           std::holds_alternative<action::EraseServices>(action);
}

}  // namespace

void Transaction::apply(EditAction action) {
    if (!namedBefore_ && list_.favouritesFollowServices() && changesNaming(action)) {
        namedBefore_ = namedServices(list_.state());
    }
    if (const auto* replace = std::get_if<action::ReplaceFavouriteList>(&action)) {
        listsSet_[replace->group][replace->list] = true;
    }
    applyAction(action, list_.mutableState());
    actions_.push_back(std::move(action));
}

void Transaction::followFavourites() {
    if (!namedBefore_ || favouritesAsSet_) {
        return;
    }
    for (auto& replacement : followServices(list_.state(), *namedBefore_, listsSet_)) {
        applyAction(replacement, list_.mutableState());
        actions_.emplace_back(std::move(replacement));
    }
}

void Transaction::commit() {
    followFavourites();
    committed_ = true;
    if (!actions_.empty()) {
        list_.record(std::move(description_), std::move(actions_));
    }
}

}  // namespace bv3::edit
