#pragma once
// A picture as plain pixels, for drawing that is computed by the library and only copied to
// the screen by a backend (the transfer dialogs' gauge on the platform's own windows).

#include <cstdint>
#include <vector>

namespace bv3::platform {

// Colours are 0x00BBGGRR values; rows run from the top, pixels from the left.
struct PixelPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    PixelPicture() = default;
    PixelPicture(int w, int h, std::uint32_t fill)
        : width(w), height(h), pixels(static_cast<std::size_t>(w > 0 && h > 0 ? w * h : 0), fill) {}
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

}  // namespace bv3::platform
