#pragma once
// TProgress: a percentage shown as a bar filled with a colour gradient inside a one-pixel
// border, with an optional centred caption drawn in the inverse of the colours beneath it.
// The picture is built off screen (render()) and copied to the control in one step, so what
// the control shows is exactly what render() returns. The properties and their rules are the
// toolkit-free ones of gauge_state.h and the drawing is that of gauge_picture.h; Qt only lays
// out the caption's text mask.

#include "ui/colour.h"
#include "ui/gauge_picture.h"
#include "ui/gauge_state.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace bv3::ui {

class TProgress : public QWidget, public GaugeState {
public:
    explicit TProgress(QWidget* parent = nullptr);

    const QString& Text() const { return text_; }
    void SetText(const QString& value);
    QFont TextFont() const { return font(); }
    void SetTextFont(const QFont& value);
    // The colour the caption's font is given (the mask is drawn black whatever it is).
    QColor TextColor() const { return textColor_; }
    void SetTextColor(const QColor& value) { textColor_ = value; }

    // The picture Paint puts on the control, at the control's size.
    QImage render() const;
    // How many times the control has been painted; lets tests see that a value was ignored.
    int paintCount() const { return paintCount_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // A colour waits for the next paint; a value is painted at once.
    void colourChanged() override { update(); }
    void progressChanged() override { repaint(); }

private:
    // The pixels the caption covers, drawn without smoothing so that a pixel is either
    // covered or not.
    TextMask captionMask() const;

    QString text_;
    QColor textColor_ = Qt::black;
    int paintCount_ = 0;
};

// The colour value as Qt spells it.
QColor toQColor(TColor color);

}  // namespace bv3::ui
