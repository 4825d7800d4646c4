#pragma once
// The seam to a message box of the platform's own windowing system, for builds without a
// toolkit (the Windows library: MessageBoxA). The box is modal on the calling thread and
// returns once the person has closed it.

#include <string>
#include <vector>

namespace bv3::platform {

enum class NativeMessageIcon { Error, Warning, Information };

struct NativeMessageBox {
    std::string caption;
    std::string text;
    NativeMessageIcon icon = NativeMessageIcon::Error;
    // Captions of the buttons; empty means a single "OK". A native box offers only its own
    // fixed button sets, so a backend picks the set whose count matches.
    std::vector<std::string> buttons;
};

void showNativeMessageBox(const NativeMessageBox& box);

}  // namespace bv3::platform
