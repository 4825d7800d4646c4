// The gradient gauge without a toolkit, pixel by pixel, and its caption through GDI.
#include "platform/text_mask.h"
#include "ui/win32/progress_native.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace bv3::ui::native {
namespace {

constexpr std::uint32_t rgb(int red, int green, int blue) {
    return static_cast<std::uint32_t>(red | (green << 8) | (blue << 16));
}

// Keeps every picture the gauge paints.
struct PaintRecorder {
    std::vector<platform::PixelPicture> pictures;
    TProgress::PaintTarget target() {
        return [this](const platform::PixelPicture& picture) { pictures.push_back(picture); };
    }
};

TEST(NativeGauge, NewGaugeIs217By40WithBorderAndBackgroundOnly) {
    const TProgress gauge;
    EXPECT_EQ(gauge.Width(), 217);
    EXPECT_EQ(gauge.Height(), 40);
    EXPECT_EQ(gauge.TextFont(), (GaugeFont{.name = "MS Sans Serif", .height = -11}));
    const platform::PixelPicture picture = gauge.render();
    ASSERT_EQ(picture.width, 217);
    ASSERT_EQ(picture.height, 40);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 217; ++x) {
            const bool border = x == 0 || y == 0 || x == 216 || y == 39;
            ASSERT_EQ(picture.at(x, y), border ? clBlack : clWhite) << x << "," << y;
        }
    }
}

TEST(NativeGauge, FullGaugeRunsFromFromColorToToColorInsideTheBorder) {
    TProgress gauge;
    gauge.SetProgress(100);
    const platform::PixelPicture picture = gauge.render();
    // Column i has To * i/215 + From * (1 - i/215) for each colour byte: lime to red.
    EXPECT_EQ(picture.at(1, 1), rgb(1, 254, 0));
    EXPECT_EQ(picture.at(215, 20), clRed);
    EXPECT_EQ(picture.at(108, 38), rgb(128, 127, 0));  // 255 * 108/215 = 128.09
    EXPECT_EQ(picture.at(108, 39), clBlack);
    EXPECT_EQ(picture.at(216, 20), clBlack);
}

TEST(NativeGauge, BarLengthAndColoursRoundHalfToEven) {
    // A 12-pixel gauge has 10 columns: 25 % is 2.5 columns and 75 % is 7.5. Black to red 5
    // gives column i the red value i/2: halves round to the even neighbour.
    TProgress gauge;
    gauge.SetBounds(0, 0, 12, 4);
    gauge.SetFromColor(0x000000);
    gauge.SetToColor(0x000005);
    struct Case {
        int percent;
        int columns;
    };
    const int expectedRed[] = {0, 0, 1, 2, 2, 2, 3, 4, 4, 4, 5};
    for (const Case c : {Case{25, 2}, Case{75, 8}, Case{100, 10}}) {
        gauge.SetProgress(c.percent);
        const platform::PixelPicture picture = gauge.render();
        for (int x = 1; x <= 10; ++x) {
            SCOPED_TRACE(::testing::Message() << c.percent << "% column " << x);
            EXPECT_EQ(picture.at(x, 1), x <= c.columns ? rgb(expectedRed[x], 0, 0) : clWhite);
        }
    }
}

TEST(NativeGauge, TransferGaugeIsBlueToAquaOnBlack) {
    TProgress gauge;
    gauge.SetBounds(1, 20, 351, 7);
    gauge.SetBackColor(clBlack);
    gauge.SetBorderColor(clBlack);
    gauge.SetFromColor(clBlue);
    gauge.SetToColor(clAqua);
    gauge.SetProgress(50);  // 174.5 columns: 174
    const platform::PixelPicture half = gauge.render();
    EXPECT_EQ(half.at(174, 3), rgb(0, 127, 255));  // 255 * 174/349 = 127.13
    EXPECT_EQ(half.at(175, 3), clBlack);
    for (const int y : {1, 5}) {
        EXPECT_EQ(half.at(1, y), rgb(0, 1, 255));
    }
    EXPECT_EQ(half.at(1, 0), clBlack);
    EXPECT_EQ(half.at(1, 6), clBlack);
    gauge.SetProgress(100);
    const platform::PixelPicture full = gauge.render();
    EXPECT_EQ(full.at(349, 3), clAqua);
    EXPECT_EQ(full.at(350, 3), clBlack);
}

TEST(NativeGauge, PaintTargetGetsEachRepaintAndIgnoredValuesPaintNothing) {
    TProgress gauge;
    gauge.SetProgress(10);  // not on screen yet: stored, nothing painted
    EXPECT_EQ(gauge.paintCount(), 0);
    EXPECT_EQ(gauge.Progress(), 10);

    PaintRecorder recorder;
    gauge.SetPaintTarget(recorder.target());
    ASSERT_EQ(recorder.pictures.size(), 1u);
    EXPECT_EQ(recorder.pictures.back().pixels, gauge.render().pixels);

    gauge.SetProgress(40);
    ASSERT_EQ(recorder.pictures.size(), 2u);
    EXPECT_EQ(recorder.pictures.back().pixels, gauge.render().pixels);
    EXPECT_NE(recorder.pictures[0].pixels, recorder.pictures[1].pixels);
    gauge.SetProgress(40);
    gauge.SetProgress(101);
    EXPECT_EQ(recorder.pictures.size(), 2u);
    EXPECT_EQ(gauge.paintCount(), 2);
    EXPECT_EQ(gauge.Progress(), 40);

    // A negative value is stored and draws no bar.
    gauge.SetProgress(-5);
    EXPECT_EQ(gauge.Progress(), -5);
    ASSERT_EQ(recorder.pictures.size(), 3u);
    EXPECT_EQ(recorder.pictures.back().at(1, 1), clWhite);

    // Colours, font and bounds repaint too; bounds that do not change do not.
    gauge.SetBackColor(clBlack);
    EXPECT_EQ(recorder.pictures.back().at(1, 1), clBlack);
    gauge.SetBorderColor(clTeal);
    EXPECT_EQ(recorder.pictures.back().at(0, 0), clTeal);
    gauge.SetFromColor(clBlue);
    gauge.SetToColor(clAqua);
    gauge.SetTextFont({.name = "Arial", .height = -20});
    EXPECT_EQ(recorder.pictures.size(), 8u);
    gauge.SetBounds(1, 20, 351, 7);
    gauge.SetBounds(1, 20, 351, 7);
    ASSERT_EQ(recorder.pictures.size(), 9u);
    EXPECT_EQ(recorder.pictures.back().width, 351);
    EXPECT_EQ(recorder.pictures.back().height, 7);
    EXPECT_EQ(gauge.Left(), 1);
    EXPECT_EQ(gauge.Top(), 20);
    EXPECT_EQ(gauge.paintCount(), 9);
}

bool anyBlack(const platform::TextMaskPixels& mask) {
    return std::ranges::any_of(mask.black, [](std::uint8_t covered) { return covered != 0; });
}

TEST(NativeGauge, TextMaskHasTheTextsExtentInTheFont) {
    EXPECT_EQ(platform::renderTextMask("MS Sans Serif", -11, "").width, 0);
    const platform::TextMaskPixels one = platform::renderTextMask("MS Sans Serif", -11, "W");
    const platform::TextMaskPixels two = platform::renderTextMask("MS Sans Serif", -11, "WW");
    const platform::TextMaskPixels large = platform::renderTextMask("MS Sans Serif", -24, "W");
    for (const auto* mask : {&one, &two, &large}) {
        ASSERT_GT(mask->width, 0);
        ASSERT_GT(mask->height, 0);
        ASSERT_EQ(mask->black.size(), static_cast<std::size_t>(mask->width * mask->height));
        EXPECT_TRUE(anyBlack(*mask));
    }
    EXPECT_EQ(two.height, one.height);
    EXPECT_GT(two.width, one.width);
    EXPECT_GT(large.height, one.height);
    // Drawn without smoothing, a blank leaves no pixel covered.
    EXPECT_FALSE(anyBlack(platform::renderTextMask("MS Sans Serif", -11, "   ")));
}

TEST(NativeGauge, CaptionInvertsExactlyThePixelsItsTextCoversAroundTheCentre) {
    const std::string caption = "60 %";
    const platform::TextMaskPixels mask = platform::renderTextMask("MS Sans Serif", -11, caption);
    ASSERT_GT(mask.width, 0);
    // X0 = W div 2 - mask width div 2, Y0 = H div 2 - mask height div 2.
    const int x0 = 217 / 2 - mask.width / 2;
    const int y0 = 40 / 2 - mask.height / 2;
    for (const int percent : {0, 60}) {
        SCOPED_TRACE(percent);
        TProgress gauge;
        gauge.SetProgress(percent);
        const platform::PixelPicture plain = gauge.render();
        gauge.SetText(caption);
        EXPECT_EQ(gauge.Text(), caption);
        const platform::PixelPicture captioned = gauge.render();
        int overBar = 0;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 217; ++x) {
                const int mx = x - x0;
                const int my = y - y0;
                const bool covered = mx >= 0 && my >= 0 && mx < mask.width && my < mask.height &&
                                     mask.black[static_cast<std::size_t>(my * mask.width + mx)] != 0;
                const std::uint32_t before = plain.at(x, y);
                ASSERT_EQ(captioned.at(x, y), covered ? 0xFFFFFF - before : before) << x << "," << y;
                overBar += covered && before != clWhite ? 1 : 0;
            }
        }
        if (percent == 60) {
            EXPECT_GT(overBar, 0);
        }
    }
}

}  // namespace
}  // namespace bv3::ui::native
