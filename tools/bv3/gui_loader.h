#pragma once
// Loads bv3's windowed part (gui_module.h) on first need and runs its entry points; a
// module that is missing or of another build is a CommandFailure that names it.

#include "bv3-gui/gui_module.h"

#include <string>

namespace bv3::cli {

// Shows the about box; with a screenshot path, saves its picture there and closes it.
void runGuiAbout(const std::string& screenshot);

// Runs a transfer in its dialog until the dialog closes.
void runGuiTransfer(const Bv3GuiTransfer& request);

}  // namespace bv3::cli
