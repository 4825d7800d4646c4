#pragma once
// The undo history of a channel list: a sequence of steps, each the actions of one operation
// or of one group of operations, with a position between the done and the undone ones.

#include "edit/edit_action.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace bv3::edit {

struct EditStep {
    std::string description;
    std::vector<EditAction> actions;  // applied in order, reverted in reverse order
    std::uint64_t serial = 0;         // unique per step of a list, for the saved state
};

class History {
public:
    static constexpr std::size_t defaultLimit = 1000;

    explicit History(std::size_t limit = defaultLimit) : limit_(limit < 1 ? 1 : limit) {}

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // The texts of the steps undo and redo would take back or do again (empty when none).
    std::string undoText() const;
    std::string redoText() const;

    // Records a step as done. Drops every undone step, and the oldest step beyond the limit.
    void push(EditStep step);
    // The step to undo (moves the position back) and the step to redo (moves it forward).
    const EditStep& stepBack();
    const EditStep& stepForward();

    // The serial of the newest done step, 0 when none is done: the state the list is in.
    std::uint64_t stateSerial() const;
    std::uint64_t nextSerial() { return ++lastSerial_; }

    std::size_t size() const { return steps_.size(); }
    std::size_t doneCount() const { return done_; }
    std::size_t limit() const { return limit_; }
    // The memory the history keeps for undo and redo, in bytes; and one step's share of it.
    std::size_t memoryBytes() const;
    static std::size_t memoryOf(const EditStep& step);

private:
    std::deque<EditStep> steps_;
    std::size_t done_ = 0;
    std::size_t limit_;
    std::uint64_t lastSerial_ = 0;
    // The serial of the state before the oldest kept step, once older steps were dropped.
    std::uint64_t baseSerial_ = 0;
};

}  // namespace bv3::edit
