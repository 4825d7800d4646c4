#pragma once
// The vocabulary of the library's form descriptions: places in a client area, the forms' font
// and the desktop colours a form may name. Plain values without any toolkit, so that the Qt
// windows and the platform's own windows build the same forms from the same numbers.

#include <string_view>

namespace bv3::ui {

// A control's place and size in pixels, relative to its parent's client area.
struct FormRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr int right() const { return left + width; }
    constexpr bool operator==(const FormRect&) const = default;
};

// A face and a height; a negative height is the character height in pixels, as the forms'
// fonts have always been given.
struct FormFont {
    std::string_view name;
    int height = 0;
    bool bold = false;

    constexpr int pixelHeight() const { return height < 0 ? -height : height; }
};

// "MS Sans Serif" at 8 point: the font of every form of the library.
inline constexpr FormFont formFontMsSansSerif8{"MS Sans Serif", -11};

enum class TextAlign { Left, Right };

// Colours a form takes from the desktop's scheme rather than naming them.
enum class SystemColour { ButtonFace, WindowText };

}  // namespace bv3::ui
