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

void Transaction::apply(EditAction action) {
    applyAction(action, list_.mutableState());
    actions_.push_back(std::move(action));
}

void Transaction::commit() {
    committed_ = true;
    if (!actions_.empty()) {
        list_.record(std::move(description_), std::move(actions_));
    }
}

}  // namespace bv3::edit
