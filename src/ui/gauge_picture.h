#pragma once
// The gauge's picture without any toolkit: the border, the interior and the gradient bar, and
// the caption laid over them in inverse colours. The Qt control and the control on the
// platform's own windows both draw through these, so both show the same pixels; a toolkit
// only supplies the caption's text mask and copies the picture to the screen.

#include "platform/pixel_picture.h"
#include "platform/text_mask.h"
#include "ui/colour.h"

#include <cstdint>
#include <vector>

namespace bv3::ui {

struct GaugeColours {
    TColor back;
    TColor border;
    TColor from;  // the bar's colour at its left end
    TColor to;    // the bar's colour at column width - 2, the right end of a full bar
};

// A new gauge, whatever toolkit shows it: white inside a black border, lime to red, 217 x 40.
inline constexpr GaugeColours gaugeDefaultColours{.back = clWhite, .border = clBlack, .from = clLime, .to = clRed};
inline constexpr int gaugeDefaultWidth = 217;
inline constexpr int gaugeDefaultHeight = 40;

// The gauge at width x height with the bar for `progress` percent: a one-pixel border in
// `border` around an interior in `back`, and columns 1 to n coloured by their position in the
// gradient, n = progress / 100 x (width - 2) rounded half to even. Values below 0 draw no bar
// and values above 100 a full one. A width or height below 1 gives a picture without pixels.
platform::PixelPicture paintGauge(const GaugeColours& colours, int width, int height, std::int32_t progress);

// The pixels a caption's text covers, row by row from the top (1 = covered): what the
// platform's text drawing gives, or what a toolkit lays out the same way.
using TextMask = platform::TextMaskPixels;

// Inverts every picture pixel the mask covers, with the mask centred on the picture by whole
// pixels: X0 = width div 2 - mask width div 2, Y0 likewise. Covered pixels that fall outside
// the picture are skipped. Throws std::invalid_argument when `black` does not hold exactly
// width x height entries.
void invertUnderCaption(platform::PixelPicture& picture, const TextMask& mask);

}  // namespace bv3::ui
