#include "ui/qt/progress.h"

#include "ui/gauge_picture.h"

#include <QPainter>
#include <cstddef>

namespace bv3::ui {

namespace {

// The toolkit-free picture as a Qt image of the same pixels.
QImage toQImage(const platform::PixelPicture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.width; ++x) {
            line[x] = toQColor(picture.at(x, y)).rgb();
        }
    }
    return image;
}

}  // namespace

QColor toQColor(TColor color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

TProgress::TProgress(QWidget* parent) : QWidget(parent) {
    resize(gaugeDefaultWidth, gaugeDefaultHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TProgress::SetText(const QString& value) {
    text_ = value;
    repaint();
}

void TProgress::SetTextFont(const QFont& value) {
    setFont(value);
    update();
}

QImage TProgress::render() const {
    if (width() <= 0 || height() <= 0) {
        return QImage(width(), height(), QImage::Format_RGB32);
    }
    platform::PixelPicture picture = paintBar(width(), height());
    invertUnderCaption(picture, captionMask());
    return toQImage(picture);
}

TextMask TProgress::captionMask() const {
    TextMask mask;
    if (text_.isEmpty()) {
        return mask;
    }
    QFont captionFont = font();
    captionFont.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(captionFont);
    const int maskWidth = metrics.horizontalAdvance(text_);
    const int maskHeight = metrics.height();
    if (maskWidth <= 0 || maskHeight <= 0) {
        return mask;
    }
    // Black text on white, as the caption has always been drawn; only exactly black pixels
    // count as covered.
    QImage image(maskWidth, maskHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(captionFont);
        painter.setPen(Qt::black);
        painter.drawText(0, metrics.ascent(), text_);
    }
    mask.width = maskWidth;
    mask.height = maskHeight;
    mask.black.reserve(static_cast<std::size_t>(maskWidth) * static_cast<std::size_t>(maskHeight));
    for (int y = 0; y < maskHeight; ++y) {
        for (int x = 0; x < maskWidth; ++x) {
            mask.black.push_back((image.pixel(x, y) & 0xFFFFFFu) == 0 ? 1 : 0);
        }
    }
    return mask;
}

void TProgress::paintEvent(QPaintEvent*) {
    ++paintCount_;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, render());
}

}  // namespace bv3::ui
