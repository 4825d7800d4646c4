#pragma once
// The gauge's properties and the rules its setters follow, whatever toolkit shows it. The Qt
// control and the control on the platform's own windows both derive from this: the state and
// the rules live here once, and each front-end only says how it repaints (the hooks below)
// and adds its caption in its own text and font types.

#include "platform/pixel_picture.h"
#include "ui/colour.h"
#include "ui/gauge_picture.h"

#include <cstdint>

namespace bv3::ui {

class GaugeState {
public:
    TColor BackColor() const { return colours_.back; }
    void SetBackColor(TColor value);
    TColor BorderColor() const { return colours_.border; }
    void SetBorderColor(TColor value);
    TColor FromColor() const { return colours_.from; }
    void SetFromColor(TColor value);
    TColor ToColor() const { return colours_.to; }
    void SetToColor(TColor value);
    std::int32_t Progress() const { return progress_; }
    // Values above 100 and the value already shown are ignored; anything else (negative
    // values too, which draw no bar) is stored and painted at once.
    void SetProgress(std::int32_t value);

protected:
    GaugeState() = default;
    // Only a front-end is ever destroyed, never a gauge through this base.
    ~GaugeState() = default;

    // The gauge at width x height with the current colours and value, before any caption.
    platform::PixelPicture paintBar(int width, int height) const;

    // A colour changed: the front-end repaints when it sees fit.
    virtual void colourChanged() = 0;
    // A new value was accepted: the front-end repaints at once, so a transfer's progress is
    // on screen before its next step.
    virtual void progressChanged() = 0;

private:
    GaugeColours colours_ = gaugeDefaultColours;
    std::int32_t progress_ = 0;
};

}  // namespace bv3::ui
