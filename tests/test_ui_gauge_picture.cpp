// The gauge's toolkit-free picture at the edges the controls never reach in normal use: sizes
// too small for a bar, progress values far outside 0..100, and captions larger than the gauge.
#include "ui/gauge_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

namespace bv3::ui {
namespace {

constexpr GaugeColours limeToRed{.back = clWhite, .border = clBlack, .from = clLime, .to = clRed};

TEST(GaugePicture, GaugesTooNarrowOrLowForAnInteriorAreAllBorder) {
    struct Case {
        int width;
        int height;
    };
    for (const Case c : {Case{1, 40}, Case{2, 40}, Case{217, 1}, Case{217, 2}, Case{1, 1}}) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        const platform::PixelPicture picture = paintGauge(limeToRed, c.width, c.height, 100);
        ASSERT_EQ(picture.width, c.width);
        ASSERT_EQ(picture.height, c.height);
        ASSERT_EQ(picture.pixels.size(), static_cast<std::size_t>(c.width * c.height));
        for (const std::uint32_t pixel : picture.pixels) {
            ASSERT_EQ(pixel, clBlack);
        }
    }
    for (const int size : {0, -3}) {
        const platform::PixelPicture empty = paintGauge(limeToRed, size, 40, 50);
        EXPECT_TRUE(empty.pixels.empty());
        EXPECT_EQ(empty.width, 0);
    }
}

TEST(GaugePicture, BarStaysInsideTheBorderForAnyProgressValue) {
    struct Case {
        int width;
        std::int32_t progress;
        int columns;
    };
    constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    // A 3-pixel gauge has one column: 50 % is half of it, which rounds to the even 0.
    for (const Case c : {Case{217, lowest, 0}, Case{217, -5, 0}, Case{217, 1000, 215}, Case{217, highest, 215},
                         Case{3, 50, 0}, Case{3, 51, 1}}) {
        SCOPED_TRACE(::testing::Message() << c.width << " wide at " << c.progress << " %");
        const platform::PixelPicture picture = paintGauge(limeToRed, c.width, 6, c.progress);
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const bool border = x == 0 || y == 0 || x == c.width - 1 || y == 5;
                const std::uint32_t pixel = picture.at(x, y);
                if (border) {
                    ASSERT_EQ(pixel, clBlack) << x << "," << y;
                } else if (x > c.columns) {
                    ASSERT_EQ(pixel, clWhite) << x << "," << y;
                } else {
                    ASSERT_NE(pixel, clWhite) << x << "," << y;
                }
            }
        }
        if (c.columns == c.width - 2 && c.columns > 0) {
            EXPECT_EQ(picture.at(c.columns, 1), clRed);
        }
    }
}

// A picture whose every pixel differs, so that an inversion in the wrong place shows.
platform::PixelPicture numberedPicture(int width, int height) {
    platform::PixelPicture picture(width, height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.at(x, y) = static_cast<std::uint32_t>(0x10203 * (y * width + x + 1)) & 0xFFFFFF;
        }
    }
    return picture;
}

// A checkerboard mask: a mask moved by one pixel covers other pixels.
TextMask checkerboard(int width, int height) {
    TextMask mask{.width = width, .height = height, .black = {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            mask.black.push_back((x + y) % 2 == 0 ? 1 : 0);
        }
    }
    return mask;
}

TEST(GaugePicture, CaptionIsCentredByWholePixelsAndClippedAtTheEdges) {
    struct Case {
        int width;
        int height;
        int maskWidth;
        int maskHeight;
        int x0;
        int y0;
    };
    for (const Case c : {Case{10, 6, 3, 2, 4, 2}, Case{11, 7, 4, 3, 3, 2}, Case{5, 3, 9, 5, -2, -1},
                         Case{4, 4, 5, 1, 0, 2}, Case{3, 2, 20, 9, -9, -3}}) {
        SCOPED_TRACE(::testing::Message()
                     << c.maskWidth << " x " << c.maskHeight << " on " << c.width << " x " << c.height);
        const platform::PixelPicture before = numberedPicture(c.width, c.height);
        platform::PixelPicture after = before;
        const TextMask mask = checkerboard(c.maskWidth, c.maskHeight);
        invertUnderCaption(after, mask);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const int mx = x - c.x0;
                const int my = y - c.y0;
                const bool covered = mx >= 0 && my >= 0 && mx < c.maskWidth && my < c.maskHeight && (mx + my) % 2 == 0;
                ASSERT_EQ(after.at(x, y), covered ? 0xFFFFFF - before.at(x, y) : before.at(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(GaugePicture, MaskWhosePixelsDoNotMatchItsSizeIsRefused) {
    platform::PixelPicture picture = numberedPicture(8, 8);
    const TextMask shortMask{.width = 4, .height = 4, .black = std::vector<std::uint8_t>(15, 1)};
    EXPECT_THROW(invertUnderCaption(picture, shortMask), std::invalid_argument);
    EXPECT_EQ(picture.pixels, numberedPicture(8, 8).pixels);
}

}  // namespace
}  // namespace bv3::ui
