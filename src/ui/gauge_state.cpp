#include "ui/gauge_state.h"

namespace bv3::ui {

void GaugeState::SetBackColor(TColor value) {
    colours_.back = value;
    colourChanged();
}

void GaugeState::SetBorderColor(TColor value) {
    colours_.border = value;
    colourChanged();
}

void GaugeState::SetFromColor(TColor value) {
    colours_.from = value;
    colourChanged();
}

void GaugeState::SetToColor(TColor value) {
    colours_.to = value;
    colourChanged();
}

void GaugeState::SetProgress(std::int32_t value) {
    if (value > 100 || value == progress_) {
        return;
    }
    progress_ = value;
    progressChanged();
}

platform::PixelPicture GaugeState::paintBar(int width, int height) const {
    return paintGauge(colours_, width, height, progress_);
}

}  // namespace bv3::ui
