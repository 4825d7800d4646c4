#pragma once
// The seam to the transfer dialogs' window on the platform's own windowing system, for builds
// without a toolkit: a fixed-size dialog centred on the screen with a lowered panel, lines of
// text, a picture (the gauge), one push button that Escape also presses, a window timer, and a
// modal loop that also runs the tasks handed to the UI thread. The library states the layout
// and reacts to the events; a backend only draws and runs the loop.

#include "platform/pixel_picture.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace bv3::platform {

struct NativeRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

enum class NativeTextAlign { left, right };

struct NativeDialogText {
    NativeRect bounds;  // in the client area
    std::string text;
    NativeTextAlign align = NativeTextAlign::left;
};

struct NativeDialogLayout {
    std::string caption;
    int clientWidth = 0;
    int clientHeight = 0;
    std::string fontName;
    int fontHeight = 0;  // negative: character height in pixels
    NativeRect panel;    // drawn with a lowered bevel
    std::vector<NativeDialogText> texts;
    NativeRect picture;
    NativeRect button;
    std::string buttonCaption;
};

// What the dialog reports, on the UI thread. A handler that throws ends the modal loop, and
// runModal() rethrows its exception.
class NativeDialogEvents {
public:
    virtual ~NativeDialogEvents() = default;
    // Once, after the dialog has appeared on the screen.
    virtual void onShow() = 0;
    // The push button was pressed, or Escape.
    virtual void onButton() = 0;
    // The title bar's close box (or the system menu's Close, Alt+F4).
    virtual void onCloseBox() = 0;
    virtual void onTimer() = 0;
};

class NativeDialog {
public:
    // Creates the window, hidden. Throws std::runtime_error when the platform cannot (no
    // desktop).
    NativeDialog(NativeDialogLayout layout, NativeDialogEvents& events);
    ~NativeDialog();
    NativeDialog(const NativeDialog&) = delete;
    NativeDialog& operator=(const NativeDialog&) = delete;

    // Changes a line of text (index into the layout's texts) and redraws it at once.
    void setText(std::size_t index, const std::string& text);
    const std::string& text(std::size_t index) const;
    // Draws the picture at the layout's picture position at once, and on every repaint after.
    void showPicture(const PixelPicture& picture);
    // Starts (or restarts) the window timer with the interval, or stops it.
    void setTimer(bool enabled, unsigned intervalMs);
    bool timerRunning() const;

    // Shows the dialog modally (the caller's other windows disabled) and returns the cancel
    // result, 2, once endModal() has been called. Rethrows what a handler threw.
    int runModal();
    // Ends the modal loop after the current message; the window is hidden.
    void endModal();
    bool visible() const;

    // The platform's window, for tests that read its geometry and send it input.
    void* nativeHandle() const;

private:
    struct Window;
    std::unique_ptr<Window> window_;
};

}  // namespace bv3::platform
