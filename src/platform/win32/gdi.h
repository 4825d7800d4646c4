#pragma once
// The GDI pieces the Win32 backend's drawing shares: objects released with their owner, the
// fonts of the library's forms, and the layout of the 32-bit pictures it draws and reads.

#include "platform/win32/windows_api.h"

#include <memory>
#include <string>

namespace bv3::platform::win32 {

struct GdiObjectRelease {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
// A font, pen or bitmap, deleted with its owner. GDI objects must not be deleted while
// selected into a device context, so an owner outlives every selection of its object.
using GdiObject = std::unique_ptr<void, GdiObjectRelease>;

// `height` as fonts are specified: negative for the character height in pixels. `quality`
// NONANTIALIASED_QUALITY asks for a font without smoothing. Empty when the font cannot be made.
inline GdiObject createFont(const std::string& faceName, int height, bool bold = false,
                            DWORD quality = DEFAULT_QUALITY) {
    return GdiObject(CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH | FF_DONTCARE,
                                 faceName.c_str()));
}

// A 32-bit picture of width x height whose rows run from the top (0x00RRGGBB pixels).
inline BITMAPINFO topDownPictureInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: rows run from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace bv3::platform::win32
