#pragma once
// Every export body runs inside this frame: no exception may cross the C boundary, and a
// failure inside a conversion is made known through the message-box service instead.

#include "ui/message_box.h"

#include <exception>
#include <string>
#include <utility>

namespace bv3::interface {

// Shows an error without letting anything escape, even a failure of the box itself.
inline void reportFailure(const std::string& text) noexcept {
    try {
        ui::showErrorBox(text);
    } catch (...) {
        // Nothing left to tell the host with; swallowing is the only safe choice here.
    }
}

// Runs work(); on any exception shows its message and returns fallback.
template <class Result, class Work>
Result runExport(const char* exportName, Result fallback, Work&& work) noexcept {
    try {
        return std::forward<Work>(work)();
    } catch (const std::exception& failure) {
        reportFailure(failure.what());
    } catch (...) {
        reportFailure(std::string(exportName) + ": unexpected failure");
    }
    return fallback;
}

template <class Work>
void runExport(const char* exportName, Work&& work) noexcept {
    runExport<int>(exportName, 0, [&] {
        std::forward<Work>(work)();
        return 0;
    });
}

}  // namespace bv3::interface
