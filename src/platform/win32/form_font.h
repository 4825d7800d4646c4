#pragma once
// The GDI font of the library's forms, released with its owner.

#include "platform/win32/windows_api.h"

#include <memory>
#include <string>
#include <type_traits>

namespace bv3::platform::win32 {

struct FontRelease {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontRelease>;

// `height` as fonts are specified: negative for the character height in pixels.
inline Font createFormFont(const std::string& faceName, int height, bool bold = false) {
    return Font(CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            faceName.c_str()));
}

}  // namespace bv3::platform::win32
