#pragma once
// The application object that owns the library's forms. A host that is itself a Qt program
// already has one, and we must reuse it; any other host gets one created on the calling
// thread the first time a form or a dialog is needed.

class QApplication;

namespace bv3::ui {

// Returns the process's QApplication, creating it on first need.
QApplication& application();

// True when a real display is reachable, so that a modal box can be answered by a person.
// Under the offscreen or minimal platform (tests, headless CI) nobody could close it.
bool displayAvailable();

}  // namespace bv3::ui
