// The caption's mask with GDI: the text drawn black on white into a 32-bit DIB section on a
// memory device context, so that the pixels can be read straight from memory. The font is
// asked for without antialiasing; a smoothed edge would be neither covered nor uncovered.
#include "platform/text_mask.h"
#include "platform/win32/gdi.h"
#include "platform/win32/windows_api.h"

#include <climits>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace bv3::platform {

namespace {

struct DcRelease {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcRelease>;

using win32::GdiObject;

// Keeps `object` selected into `dc` for the guard's lifetime. GDI objects must not be
// deleted while selected, so a guard is declared after the object it selects.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("cannot draw the caption: " + what + " (error " + std::to_string(GetLastError()) + ")");
}

GdiObject createCaptionFont(const std::string& fontName, int fontHeight) {
    GdiObject font = win32::createFont(fontName, fontHeight, false, NONANTIALIASED_QUALITY);
    if (!font) {
        fail("no font \"" + fontName + "\"");
    }
    return font;
}

// A white top-down 32-bit surface of width x height whose pixels are at `*bits`.
GdiObject createSurface(HDC dc, int width, int height, void** bits) {
    const BITMAPINFO info = win32::topDownPictureInfo(width, height);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (bitmap == nullptr || *bits == nullptr) {
        fail("no surface of " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    }
    return GdiObject(bitmap);
}

}  // namespace

TextMaskPixels renderTextMask(const std::string& fontName, int fontHeight, const std::string& text) {
    if (text.empty()) {
        return {};
    }
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        throw std::length_error("a caption of " + std::to_string(text.size()) + " characters is too long to draw");
    }
    const int length = static_cast<int>(text.size());
    const MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) {
        fail("no memory device context");
    }
    const GdiObject font = createCaptionFont(fontName, fontHeight);
    const Selection fontSelected(dc.get(), font.get());
    SIZE extent{};
    if (!GetTextExtentPoint32A(dc.get(), text.c_str(), length, &extent)) {
        fail("no text extent");
    }
    TextMaskPixels mask;
    if (extent.cx <= 0 || extent.cy <= 0) {
        return mask;
    }

    void* bits = nullptr;
    const GdiObject surface = createSurface(dc.get(), extent.cx, extent.cy, &bits);
    const Selection surfaceSelected(dc.get(), surface.get());
    const RECT all{0, 0, extent.cx, extent.cy};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc.get(), OPAQUE);
    SetBkColor(dc.get(), RGB(255, 255, 255));
    SetTextColor(dc.get(), RGB(0, 0, 0));
    if (!TextOutA(dc.get(), 0, 0, text.c_str(), length)) {
        fail("the text could not be drawn");
    }
    GdiFlush();  // GDI may batch drawing; the pixels are read from memory below

    mask.width = extent.cx;
    mask.height = extent.cy;
    const auto count = static_cast<std::size_t>(extent.cx) * static_cast<std::size_t>(extent.cy);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    mask.black.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        mask.black[i] = (pixels[i] & 0x00FFFFFFu) == 0 ? 1 : 0;
    }
    return mask;
}

}  // namespace bv3::platform
