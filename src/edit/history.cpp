#include "edit/history.h"

#include <stdexcept>

namespace bv3::edit {

std::string History::undoText() const {
    return canUndo() ? steps_[done_ - 1].description : std::string();
}

std::string History::redoText() const {
    return canRedo() ? steps_[done_].description : std::string();
}

void History::push(EditStep step) {
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(done_), steps_.end());
    steps_.push_back(std::move(step));
    ++done_;
    while (steps_.size() > limit_) {
        baseSerial_ = steps_.front().serial;
        steps_.pop_front();
        --done_;
    }
}

const EditStep& History::stepBack() {
    if (!canUndo()) {
        throw std::logic_error("nothing to undo");
    }
    return steps_[--done_];
}

const EditStep& History::stepForward() {
    if (!canRedo()) {
        throw std::logic_error("nothing to redo");
    }
    return steps_[done_++];
}

std::uint64_t History::stateSerial() const {
    return done_ == 0 ? baseSerial_ : steps_[done_ - 1].serial;
}

std::size_t History::memoryOf(const EditStep& step) {
    std::size_t bytes = sizeof step + step.description.capacity();
    for (const EditAction& action : step.actions) {
        bytes += edit::memoryOf(action);
    }
    return bytes;
}

std::size_t History::memoryBytes() const {
    std::size_t bytes = 0;
    for (const EditStep& step : steps_) {
        bytes += memoryOf(step);
    }
    return bytes;
}

}  // namespace bv3::edit
