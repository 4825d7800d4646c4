#include "ui/progress.h"

#include <QPainter>
#include <cmath>

namespace bv3::ui {

namespace {
int redOf(TColor c) {
    return static_cast<int>(c & 0xFF);
}
int greenOf(TColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
int blueOf(TColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// Rounds to the nearest integer, ties to even: the rounding the gauge was designed with.
int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

int blend(int to, int from, double a) {
    return roundHalfEven(to * a + from * (1.0 - a));
}
}  // namespace

QColor toQColor(TColor color) {
    return QColor(redOf(color), greenOf(color), blueOf(color));
}

TProgress::TProgress(QWidget* parent) : QWidget(parent) {
    resize(217, 40);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TProgress::SetBackColor(TColor value) {
    backColor_ = value;
    update();
}

void TProgress::SetBorderColor(TColor value) {
    borderColor_ = value;
    update();
}

void TProgress::SetFromColor(TColor value) {
    fromColor_ = value;
    update();
}

void TProgress::SetToColor(TColor value) {
    toColor_ = value;
    update();
}

void TProgress::SetProgress(std::int32_t value) {
    if (value > 100 || value == progress_) {
        return;
    }
    progress_ = value;
    repaint();
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
    const int w = width();
    const int h = height();
    QImage picture(w, h, QImage::Format_RGB32);
    if (w <= 0 || h <= 0) {
        return picture;
    }
    // Border in BorderColor, interior in BackColor.
    picture.fill(toQColor(borderColor_));
    const QRgb back = toQColor(backColor_).rgb();
    for (int y = 1; y < h - 1; ++y) {
        for (int x = 1; x < w - 1; ++x) {
            picture.setPixel(x, y, back);
        }
    }

    // The bar: column i has the colour of its position in a gradient that ends at column
    // W - 2, so a growing bar uncovers a fixed gradient.
    const int span = w - 2;
    if (span > 0) {
        const int columns = std::min(roundHalfEven(progress_ / 100.0 * span), span);
        for (int i = 1; i <= columns; ++i) {
            const double a = static_cast<double>(i) / span;
            const QRgb colour =
                qRgb(blend(redOf(toColor_), redOf(fromColor_), a), blend(greenOf(toColor_), greenOf(fromColor_), a),
                     blend(blueOf(toColor_), blueOf(fromColor_), a));
            for (int y = 1; y < h - 1; ++y) {
                picture.setPixel(i, y, colour);
            }
        }
    }

    // The caption: every pixel the text covers shows the inverse of what lies beneath it. The
    // text is drawn without smoothing so that a pixel is either covered or not.
    if (!text_.isEmpty()) {
        QFont captionFont = font();
        captionFont.setStyleStrategy(QFont::NoAntialias);
        const QFontMetrics metrics(captionFont);
        const int maskWidth = metrics.horizontalAdvance(text_);
        const int maskHeight = metrics.height();
        if (maskWidth > 0 && maskHeight > 0) {
            QImage mask(maskWidth, maskHeight, QImage::Format_RGB32);
            mask.fill(Qt::white);
            {
                QPainter painter(&mask);
                painter.setFont(captionFont);
                painter.setPen(Qt::black);
                painter.drawText(0, metrics.ascent(), text_);
            }
            const int x0 = w / 2 - maskWidth / 2;
            const int y0 = h / 2 - maskHeight / 2;
            for (int y = 0; y < maskHeight; ++y) {
                for (int x = 0; x < maskWidth; ++x) {
                    const int px = x0 + x;
                    const int py = y0 + y;
                    const bool black = (mask.pixel(x, y) & 0xFFFFFFu) == 0;
                    if (!black || px < 0 || py < 0 || px >= w || py >= h) {
                        continue;
                    }
                    const QRgb under = picture.pixel(px, py);
                    picture.setPixel(px, py, qRgb(255 - qRed(under), 255 - qGreen(under), 255 - qBlue(under)));
                }
            }
        }
    }
    return picture;
}

void TProgress::paintEvent(QPaintEvent*) {
    ++paintCount_;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, render());
}

}  // namespace bv3::ui
