#include "ui/win32/progress_native.h"

#include "platform/text_mask.h"
#include "ui/gauge_picture.h"

#include <utility>

namespace bv3::ui::native {

void TProgress::SetText(const std::string& value) {
    text_ = value;
    repaint();
}

void TProgress::SetTextFont(const GaugeFont& value) {
    textFont_ = value;
    repaint();
}

void TProgress::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) {
        return;
    }
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    repaint();
}

platform::PixelPicture TProgress::render() const {
    platform::PixelPicture picture = paintBar(width_, height_);
    if (!text_.empty() && picture.width > 0 && picture.height > 0) {
        invertUnderCaption(picture, platform::renderTextMask(textFont_.name, textFont_.height, text_));
    }
    return picture;
}

void TProgress::SetPaintTarget(PaintTarget paint) {
    paint_ = std::move(paint);
    repaint();
}

void TProgress::repaint() {
    if (!paint_) {
        return;
    }
    ++paintCount_;
    paint_(render());
}

}  // namespace bv3::ui::native
