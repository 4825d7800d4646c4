#pragma once
// The seam to a plain form of the platform's own windowing system, for builds without a
// toolkit: a fixed-size window of static texts, shown modally on the calling thread. The
// library's forms state their captions, layout values, font and colours; a backend only
// draws them and runs the modal loop.

#include <string>
#include <vector>

namespace bv3::platform {

struct NativeFormLabel {
    int left = 0;
    int top = 0;
    std::string text;
    bool bold = false;
};

struct NativeForm {
    std::string caption;
    int left = 0;  // screen position of the window, in pixels
    int top = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    std::string fontName;
    int fontHeight = 0;  // negative: character height in pixels, as fonts are specified
    std::vector<NativeFormLabel> labels;
};

// The result of a form that the user closed, as the modal loop reports it: the cancel result.
inline constexpr int nativeModalCancel = 2;

// Shows the form with a single non-resizable border, the system menu and its close box, on
// the button-face colour with texts in the window-text colour; the caller's other windows are
// disabled until it closes. Returns nativeModalCancel once it is closed. Throws
// std::runtime_error when the platform cannot create the window (no desktop).
int runNativeForm(const NativeForm& form);

}  // namespace bv3::platform
