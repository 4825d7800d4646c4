#pragma once
// TfrmMain, the about box, for builds without a toolkit: the form's captions, texts, layout
// values and font, shown through the platform's own windows.

#include "platform/native_form.h"

namespace bv3::ui::native {

class TfrmMain {
public:
    // The form as the library shows it (caption, position, client size, font, labels).
    [[nodiscard]] static platform::NativeForm layout();

    // Shows the box modally until the user closes it; the result is the cancel result, 2.
    int ShowModal();
};

}  // namespace bv3::ui::native
