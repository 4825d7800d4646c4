#include "ui/gauge_picture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace bv3::ui {

namespace {

// The screen shows only the colour bytes; the top byte (a system colour code) is dropped.
constexpr std::uint32_t colourBytes = 0x00FFFFFF;

int byteOf(TColor colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// Rounds to the nearest integer, ties to even: the rounding the gauge was designed with. Only
// for values that are known to fit an int.
int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

// The colour of bar column i of `span`: each byte runs from `from` at 0 to `to` at span.
std::uint32_t gradientAt(const GaugeColours& colours, int i, int span) {
    const double a = static_cast<double>(i) / span;
    std::uint32_t colour = 0;
    for (const int shift : {0, 8, 16}) {
        const int to = byteOf(colours.to, shift);
        const int from = byteOf(colours.from, shift);
        colour |= static_cast<std::uint32_t>(roundHalfEven(to * a + from * (1.0 - a))) << shift;
    }
    return colour;
}

// How many columns of `span` the bar covers. The product is bounded here, before it becomes
// an int, so that no progress value (down to the most negative one) can overflow it.
int barColumns(std::int32_t progress, int span) {
    const double exact = progress / 100.0 * span;
    if (exact <= 0.0) {
        return 0;
    }
    if (exact >= span) {
        return span;
    }
    return roundHalfEven(exact);
}

}  // namespace

platform::PixelPicture paintGauge(const GaugeColours& colours, int width, int height, std::int32_t progress) {
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    platform::PixelPicture picture(w, h, colours.border & colourBytes);
    // A picture two pixels wide or less is all border.
    const int span = w - 2;
    if (span <= 0) {
        return picture;
    }
    const std::uint32_t back = colours.back & colourBytes;
    for (int y = 1; y < h - 1; ++y) {
        std::fill_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * w + 1, span, back);
    }

    // Column i has the colour of its position in a gradient that ends at column W - 2, so a
    // growing bar uncovers a fixed gradient.
    const int columns = barColumns(progress, span);
    for (int i = 1; i <= columns; ++i) {
        const std::uint32_t colour = gradientAt(colours, i, span);
        for (int y = 1; y < h - 1; ++y) {
            picture.at(i, y) = colour;
        }
    }
    return picture;
}

void invertUnderCaption(platform::PixelPicture& picture, const TextMask& mask) {
    if (mask.width <= 0 || mask.height <= 0) {
        return;
    }
    if (mask.black.size() != static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height)) {
        throw std::invalid_argument("a caption mask of " + std::to_string(mask.width) + " x " +
                                    std::to_string(mask.height) + " pixels holds " + std::to_string(mask.black.size()));
    }
    const int x0 = picture.width / 2 - mask.width / 2;
    const int y0 = picture.height / 2 - mask.height / 2;
    // Only the part of the mask that lies on the picture is visited.
    const int firstX = std::max(0, -x0);
    const int firstY = std::max(0, -y0);
    const int endX = std::min(mask.width, picture.width - x0);
    const int endY = std::min(mask.height, picture.height - y0);
    for (int y = firstY; y < endY; ++y) {
        for (int x = firstX; x < endX; ++x) {
            if (mask.black[static_cast<std::size_t>(y) * static_cast<std::size_t>(mask.width) +
                           static_cast<std::size_t>(x)] != 0) {
                std::uint32_t& under = picture.at(x0 + x, y0 + y);
                // 255 - b for each colour byte.
                under = (under ^ colourBytes) & colourBytes;
            }
        }
    }
}

}  // namespace bv3::ui
