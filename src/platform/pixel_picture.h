#pragma once
// A picture as plain pixels, for drawing that is computed by the library and only copied to
// the screen by a backend (the transfer dialogs' gauge on the platform's own windows).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bv3::platform {

// Colours are 0x00BBGGRR values; rows run from the top, pixels from the left.
struct PixelPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    PixelPicture() = default;
    // Sizes and offsets are reckoned in std::size_t: w * h in int would overflow for large sizes.
    PixelPicture(int w, int h, std::uint32_t fill)
        : width(w),
          height(h),
          pixels(w > 0 && h > 0 ? static_cast<std::size_t>(w) * static_cast<std::size_t>(h) : 0, fill) {}
    std::uint32_t at(int x, int y) const { return pixels[index(x, y, width)]; }
    std::uint32_t& at(int x, int y) { return pixels[index(x, y, width)]; }

private:
    static std::size_t index(int x, int y, int width) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    }
};

}  // namespace bv3::platform
