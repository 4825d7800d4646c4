#pragma once
// The seam to the platform's text drawing, for the gauge's caption on the platform's own
// windows: which pixels a text covers when drawn in a font without smoothing. The gauge
// inverts exactly those pixels, so a pixel must be either covered or not. Only the Windows
// build has a backend; the Qt build lays its captions out with the toolkit.

#include <cstdint>
#include <string>
#include <vector>

namespace bv3::platform {

// The text's extent (its width x height in the font), row by row from the top; 1 where the
// text, drawn black on white from the top-left corner, left a black pixel.
struct TextMaskPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> black;
};

// Draws `text` in the font `fontName` of `fontHeight` (negative: character height in pixels,
// as font heights are given) and returns the pixels it covers. An empty text gives a mask of
// width 0. Throws std::runtime_error when the platform cannot create the drawing surface.
TextMaskPixels renderTextMask(const std::string& fontName, int fontHeight, const std::string& text);

}  // namespace bv3::platform
