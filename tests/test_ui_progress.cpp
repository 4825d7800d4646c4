// The gradient gauge, pixel by pixel, and the about box.
#include "ui/qt/about_box.h"
#include "ui/qt/application.h"
#include "ui/qt/progress.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace bv3::ui {
namespace {

class GaugeTest : public ::testing::Test {
protected:
    void SetUp() override { application(); }
};

QRgb rgb(TColor c) {
    return toQColor(c).rgb();
}
QRgb pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}

TEST_F(GaugeTest, EmptyGaugeIsBorderAndBackgroundOnly) {
    TProgress gauge;
    EXPECT_EQ(gauge.size(), QSize(217, 40));
    const QImage image = gauge.render();
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 217; ++x) {
            const bool border = x == 0 || y == 0 || x == 216 || y == 39;
            ASSERT_EQ(pixel(image, x, y), border ? rgb(clBlack) : rgb(clWhite)) << x << "," << y;
        }
    }
}

TEST_F(GaugeTest, FullGaugeRunsFromFromColorToToColorInsideTheBorder) {
    TProgress gauge;
    gauge.SetProgress(100);
    const QImage image = gauge.render();
    // Column i has To * i/215 + From * (1 - i/215) for each colour byte: lime to red.
    EXPECT_EQ(pixel(image, 1, 1), qRgb(1, 254, 0));
    EXPECT_EQ(pixel(image, 215, 20), rgb(clRed));
    EXPECT_EQ(pixel(image, 108, 38), qRgb(128, 127, 0));  // 255 * 108/215 = 128.09
    EXPECT_EQ(pixel(image, 108, 39), rgb(clBlack));
    EXPECT_EQ(pixel(image, 216, 20), rgb(clBlack));
}

TEST_F(GaugeTest, BarLengthAndColoursRoundHalfToEven) {
    // A 12-pixel gauge has 10 columns: 25 % is 2.5 columns and 75 % is 7.5. Black to red 5
    // gives column i the red value i/2: halves round to the even neighbour.
    TProgress gauge;
    gauge.resize(12, 4);
    gauge.SetFromColor(0x000000);
    gauge.SetToColor(0x000005);
    struct Case {
        int percent;
        int columns;
    };
    for (const Case c : {Case{25, 2}, Case{75, 8}, Case{100, 10}}) {
        gauge.SetProgress(c.percent);
        const QImage image = gauge.render();
        for (int x = 1; x <= 10; ++x) {
            SCOPED_TRACE(::testing::Message() << c.percent << "% column " << x);
            const int expectedRed[] = {0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5};
            EXPECT_EQ(pixel(image, x, 1), x <= c.columns ? qRgb(expectedRed[x], 0, 0) : rgb(clWhite));
        }
    }
}

TEST_F(GaugeTest, TransferGaugeIsBlueToAquaOnBlack) {
    TProgress gauge;
    gauge.resize(351, 7);
    gauge.SetBackColor(clBlack);
    gauge.SetBorderColor(clBlack);
    gauge.SetFromColor(clBlue);
    gauge.SetToColor(clAqua);
    gauge.SetProgress(50);  // 174.5 columns: 174
    const QImage image = gauge.render();
    EXPECT_EQ(pixel(image, 174, 3), qRgb(0, 127, 255));  // 255 * 174/349 = 127.13
    EXPECT_EQ(pixel(image, 175, 3), rgb(clBlack));
    for (const int y : {1, 5}) {
        EXPECT_EQ(pixel(image, 1, y), qRgb(0, 1, 255));
    }
    EXPECT_EQ(pixel(image, 1, 0), rgb(clBlack));
    EXPECT_EQ(pixel(image, 1, 6), rgb(clBlack));
    gauge.SetProgress(100);
    const QImage full = gauge.render();
    EXPECT_EQ(pixel(full, 349, 3), rgb(clAqua));
    EXPECT_EQ(pixel(full, 350, 3), rgb(clBlack));
}

TEST_F(GaugeTest, CaptionInvertsExactlyThePixelsItCoversAroundTheCentre) {
    for (const int percent : {0, 60}) {
        SCOPED_TRACE(percent);
        TProgress gauge;
        gauge.SetProgress(percent);
        const QImage plain = gauge.render();
        gauge.SetText(QStringLiteral("60 %"));
        const QImage captioned = gauge.render();
        QFont font = gauge.TextFont();
        font.setStyleStrategy(QFont::NoAntialias);
        const QFontMetrics metrics(font);
        const QRect box(217 / 2 - metrics.horizontalAdvance(QStringLiteral("60 %")) / 2, 40 / 2 - metrics.height() / 2,
                        metrics.horizontalAdvance(QStringLiteral("60 %")), metrics.height());
        int inverted = 0;
        int overBar = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 217; ++x) {
                const QRgb before = pixel(plain, x, y);
                const QRgb after = pixel(captioned, x, y);
                if (before == after) {
                    continue;
                }
                ASSERT_EQ(after, qRgb(255 - qRed(before), 255 - qGreen(before), 255 - qBlue(before))) << x << "," << y;
                ASSERT_TRUE(box.contains(x, y)) << x << "," << y;
                ++inverted;
                overBar += before != rgb(clWhite) ? 1 : 0;
            }
        }
        EXPECT_GT(inverted, 10);
        if (percent == 60) {
            EXPECT_GT(overBar, 0);
        }
    }
}

TEST_F(GaugeTest, ProgressSetterIgnoresValuesAbove100AndRepeats) {
    TProgress gauge;
    gauge.show();
    for (int i = 0; i < 100 && gauge.paintCount() == 0; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_GT(gauge.paintCount(), 0);
    gauge.SetProgress(40);
    const int paints = gauge.paintCount();
    gauge.SetProgress(40);
    gauge.SetProgress(101);
    EXPECT_EQ(gauge.paintCount(), paints);
    EXPECT_EQ(gauge.Progress(), 40);
    gauge.SetProgress(-5);
    EXPECT_EQ(gauge.Progress(), -5);
    EXPECT_GT(gauge.paintCount(), paints);
    // A negative value draws no bar.
    EXPECT_EQ(pixel(gauge.render(), 1, 1), rgb(clWhite));
}

TEST_F(GaugeTest, AboutBoxHasItsCaptionsFontAndGeometry) {
    TfrmMain box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("BV3 DLL"));
    EXPECT_EQ(box.size(), QSize(155, 43));
    EXPECT_EQ(box.pos(), QPoint(498, 388));
    EXPECT_EQ(box.font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(box.font().pixelSize(), 11);
    EXPECT_EQ(box.Label1()->text(), QStringLiteral("Brevora V3 DLL Ver 0.97"));
    EXPECT_TRUE(box.Label1()->font().bold());
    EXPECT_EQ(box.Label1()->pos(), QPoint(4, 4));
    EXPECT_EQ(box.Label2()->text(), QStringLiteral("Last Build : 2001.3.8"));
    EXPECT_FALSE(box.Label2()->font().bold());
    EXPECT_EQ(box.Label2()->pos(), QPoint(43, 27));
    EXPECT_TRUE(box.findChildren<QPushButton*>().isEmpty());
}

TEST_F(GaugeTest, AboutBoxEndsWithTheCancelResult) {
    TfrmMain box;
    QTimer::singleShot(0, &box, [&box] { box.close(); });
    EXPECT_EQ(box.exec(), 2);
}

}  // namespace
}  // namespace bv3::ui
