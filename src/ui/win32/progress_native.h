#pragma once
// TProgress for builds without a toolkit: the gradient gauge with the same properties and
// setter rules as the Qt control (gauge_state.h), drawing through gauge_picture.h. It owns no window; the
// dialog that shows it names a paint target, which receives the whole picture each time the
// control repaints and only copies it to the screen at the control's bounds.

#include "platform/pixel_picture.h"
#include "ui/colour.h"
#include "ui/gauge_picture.h"
#include "ui/gauge_state.h"

#include <cstdint>
#include <functional>
#include <string>

namespace bv3::ui::native {

// The caption's font: a face name and a height (negative: character height in pixels, as
// font heights are given).
struct GaugeFont {
    std::string name = "MS Sans Serif";
    int height = -11;

    bool operator==(const GaugeFont&) const = default;
};

class TProgress final : public GaugeState {
public:
    using PaintTarget = std::function<void(const platform::PixelPicture&)>;

    TProgress() = default;

    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    const GaugeFont& TextFont() const { return textFont_; }
    void SetTextFont(const GaugeFont& value);
    // The colour the caption's font is given (the caption itself shows inverse colours).
    TColor TextColor() const { return textColor_; }
    void SetTextColor(TColor value) { textColor_ = value; }

    // Position and size in the parent's client area; a change repaints.
    void SetBounds(int left, int top, int width, int height);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // The picture the control shows, at its size. Throws std::runtime_error when a caption is
    // set and the platform cannot draw its text.
    platform::PixelPicture render() const;

    // Where the control's pictures go. Naming a target paints the control once (it is now on
    // screen), and from then on every property change repaints at once: the target is called
    // with render(). Without a target nothing is drawn and nothing is counted, as a control
    // that is not on screen is not painted.
    void SetPaintTarget(PaintTarget paint);
    // How many pictures went to a paint target; lets tests see that a value was ignored.
    int paintCount() const { return paintCount_; }

private:
    // Every change is painted at once: the paint target is the screen.
    void colourChanged() override { repaint(); }
    void progressChanged() override { repaint(); }
    void repaint();

    std::string text_;
    GaugeFont textFont_;
    TColor textColor_ = clBlack;
    int left_ = 0;
    int top_ = 0;
    int width_ = gaugeDefaultWidth;
    int height_ = gaugeDefaultHeight;
    PaintTarget paint_;
    int paintCount_ = 0;
};

}  // namespace bv3::ui::native
