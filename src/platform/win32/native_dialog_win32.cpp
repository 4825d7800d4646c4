// The transfer dialogs' window in plain Win32: a window class of our own with one push button
// as a child control; the panel's bevel, the texts and the picture are drawn with GDI. The
// modal loop presses the button on Escape and ends when the library says so.
#include "platform/native_dialog.h"
#include "platform/native_form.h"
#include "platform/win32/gdi.h"
#include "platform/win32/modal_loop.h"
#include "platform/win32/window_class.h"
#include "platform/win32/windows_api.h"

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

namespace bv3::platform {

namespace {

constexpr char dialogClassName[] = "BV3NativeDialog";
constexpr UINT dialogShown = WM_APP + 2;
constexpr UINT_PTR timerId = 1;
constexpr int buttonId = 1;

RECT toRect(const NativeRect& r) {
    return RECT{r.left, r.top, r.left + r.width, r.top + r.height};
}

// Device-independent pixels are 0x00RRGGBB; the library's colours are 0x00BBGGRR.
std::uint32_t toDibPixel(std::uint32_t colour) {
    return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

}  // namespace

struct NativeDialog::Window {
    NativeDialogLayout layout;
    NativeDialogEvents& events;
    win32::GdiObject font;
    HWND handle = nullptr;
    HWND button = nullptr;
    PixelPicture picture;
    std::vector<std::uint32_t> dibPixels;
    bool timerOn = false;
    bool ended = true;
    std::exception_ptr failure;

    Window(NativeDialogLayout l, NativeDialogEvents& e) : layout(std::move(l)), events(e) {}

    // A handler's exception must not unwind through the window procedure, which belongs to
    // the system: it ends the loop and runModal() rethrows it.
    template <class Handler>
    void guard(Handler&& handler) {
        try {
            handler();
        } catch (...) {
            if (!failure) {
                failure = std::current_exception();
            }
            ended = true;
        }
    }

    void drawPicture(HDC dc) const {
        if (picture.width <= 0 || picture.height <= 0) {
            return;
        }
        const BITMAPINFO info = win32::topDownPictureInfo(picture.width, picture.height);
        SetDIBitsToDevice(dc, layout.picture.left, layout.picture.top, static_cast<DWORD>(picture.width),
                          static_cast<DWORD>(picture.height), 0, 0, 0, static_cast<UINT>(picture.height),
                          dibPixels.data(), &info, DIB_RGB_COLORS);
    }

    void drawTexts(HDC dc) const {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        const HGDIOBJ previous = SelectObject(dc, font.get());
        for (const auto& line : layout.texts) {
            RECT bounds = toRect(line.bounds);
            const UINT align = line.align == NativeTextAlign::right ? DT_RIGHT : DT_LEFT;
            DrawTextA(dc, line.text.c_str(), static_cast<int>(line.text.size()), &bounds,
                      align | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
        }
        SelectObject(dc, previous);
    }

    // The Cancel button carries its glyph, a red cross, left of the caption, as the dialogs'
    // glyph buttons do.
    void drawButton(const DRAWITEMSTRUCT& item) const {
        RECT face = item.rcItem;
        const bool pushed = (item.itemState & ODS_SELECTED) != 0;
        DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
        const int shift = pushed ? 1 : 0;
        const int glyphSize = 9;
        const int glyphLeft = face.left + 10 + shift;
        const int glyphTop = (face.top + face.bottom - glyphSize) / 2 + shift;
        const win32::GdiObject pen(CreatePen(PS_SOLID, 2, RGB(192, 0, 0)));
        const HGDIOBJ previousPen = SelectObject(item.hDC, pen.get());
        MoveToEx(item.hDC, glyphLeft, glyphTop, nullptr);
        LineTo(item.hDC, glyphLeft + glyphSize, glyphTop + glyphSize);
        MoveToEx(item.hDC, glyphLeft + glyphSize, glyphTop, nullptr);
        LineTo(item.hDC, glyphLeft, glyphTop + glyphSize);
        SelectObject(item.hDC, previousPen);

        RECT text = face;
        OffsetRect(&text, shift + glyphSize / 2 + 2, shift);
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
        const HGDIOBJ previousFont = SelectObject(item.hDC, font.get());
        DrawTextA(item.hDC, layout.buttonCaption.c_str(), static_cast<int>(layout.buttonCaption.size()), &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(item.hDC, previousFont);
        if ((item.itemState & ODS_FOCUS) != 0) {
            RECT focus = face;
            InflateRect(&focus, -4, -4);
            DrawFocusRect(item.hDC, &focus);
        }
    }

    void paint() const {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(handle, &paint);
        RECT panel = toRect(layout.panel);
        DrawEdge(dc, &panel, BDR_SUNKENOUTER, BF_RECT);
        drawTexts(dc);
        drawPicture(dc);
        EndPaint(handle, &paint);
    }

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_PAINT:
                paint();
                return 0;
            case WM_DRAWITEM:
                if (wParam == buttonId) {
                    drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                    return TRUE;
                }
                break;
            case WM_COMMAND:
                if (LOWORD(wParam) == buttonId && HIWORD(wParam) == BN_CLICKED) {
                    guard([this] { events.onButton(); });
                    return 0;
                }
                break;
            case WM_CLOSE:
                // Closing is the library's decision (the close box's handler ends the loop).
                guard([this] { events.onCloseBox(); });
                return 0;
            case WM_TIMER:
                if (wParam == timerId) {
                    guard([this] { events.onTimer(); });
                    return 0;
                }
                break;
            case dialogShown:
                guard([this] { events.onShow(); });
                return 0;
            default:
                break;
        }
        return DefWindowProcA(handle, message, wParam, lParam);
    }

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            auto* self = static_cast<Window*>(create->lpCreateParams);
            self->handle = window;
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self == nullptr) {
            return DefWindowProcA(window, message, wParam, lParam);
        }
        return self->handleMessage(message, wParam, lParam);
    }

    // Escape anywhere in the dialog presses the button, as the dialog's cancel key.
    bool interceptEscape(const MSG& message) {
        if (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE) {
            return false;
        }
        if (message.hwnd != handle && !IsChild(handle, message.hwnd)) {
            return false;
        }
        guard([this] { events.onButton(); });
        return true;
    }

    static const win32::WindowClass& windowClass() {
        static const win32::WindowClass registered(dialogClassName, &procedure,
                                                   {.arrowCursor = true, .buttonFace = true}, "the transfer dialogs");
        return registered;
    }
};

NativeDialog::NativeDialog(NativeDialogLayout layout, NativeDialogEvents& events)
    : window_(std::make_unique<Window>(std::move(layout), events)) {
    const win32::WindowClass& windowClass = Window::windowClass();
    Window& w = *window_;
    w.font = win32::createFont(w.layout.fontName, w.layout.fontHeight);

    // A single, non-resizable border with the system menu (and so the close box) only, always
    // on top, centred on the screen.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD extendedStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
    RECT frame{0, 0, w.layout.clientWidth, w.layout.clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (CreateWindowExA(extendedStyle, windowClass.name(), w.layout.caption.c_str(), style, left, top, width, height,
                        GetActiveWindow(), nullptr, win32::ownModule(), &w) == nullptr) {
        throw std::runtime_error("cannot show the window \"" + w.layout.caption + "\" (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    const NativeRect& b = w.layout.button;
    w.button =
        CreateWindowExA(0, "BUTTON", w.layout.buttonCaption.c_str(), WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, b.left,
                        b.top, b.width, b.height, w.handle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(buttonId)),
                        win32::ownModule(), nullptr);
    SendMessageA(w.button, WM_SETFONT, reinterpret_cast<WPARAM>(w.font.get()), FALSE);
}

NativeDialog::~NativeDialog() {
    if (window_->handle != nullptr) {
        KillTimer(window_->handle, timerId);
        DestroyWindow(window_->handle);
    }
}

void NativeDialog::setText(std::size_t index, const std::string& text) {
    Window& w = *window_;
    NativeDialogText& line = w.layout.texts.at(index);
    if (line.text == text) {
        return;
    }
    line.text = text;
    RECT bounds = toRect(line.bounds);
    InvalidateRect(w.handle, &bounds, TRUE);
    UpdateWindow(w.handle);
}

const std::string& NativeDialog::text(std::size_t index) const {
    return window_->layout.texts.at(index).text;
}

void NativeDialog::showPicture(const PixelPicture& picture) {
    Window& w = *window_;
    w.picture = picture;
    w.dibPixels.resize(picture.pixels.size());
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        w.dibPixels[i] = toDibPixel(picture.pixels[i]);
    }
    if (IsWindowVisible(w.handle)) {
        HDC dc = GetDC(w.handle);
        w.drawPicture(dc);
        ReleaseDC(w.handle, dc);
    }
}

void NativeDialog::setTimer(bool enabled, unsigned intervalMs) {
    Window& w = *window_;
    if (enabled) {
        // Setting the timer again restarts its interval.
        w.timerOn = SetTimer(w.handle, timerId, intervalMs, nullptr) != 0;
    } else {
        KillTimer(w.handle, timerId);
        w.timerOn = false;
    }
}

bool NativeDialog::timerRunning() const {
    return window_->timerOn;
}

int NativeDialog::runModal() {
    Window& w = *window_;
    w.ended = false;
    w.failure = nullptr;
    win32::runModalLoop(
        w.handle,
        [&w] {
            ShowWindow(w.handle, SW_SHOWNORMAL);
            UpdateWindow(w.handle);
            // The show handler runs once the dialog is on the screen, from the loop.
            PostMessageA(w.handle, dialogShown, 0, 0);
        },
        [&w] { return w.ended; }, [&w](const MSG& message) { return w.interceptEscape(message); });
    w.ended = true;
    KillTimer(w.handle, timerId);
    w.timerOn = false;
    ShowWindow(w.handle, SW_HIDE);
    if (w.failure) {
        std::rethrow_exception(std::exchange(w.failure, nullptr));
    }
    return nativeModalCancel;
}

void NativeDialog::endModal() {
    window_->ended = true;
    // Wakes the loop if it is waiting for a message.
    PostMessageA(window_->handle, WM_NULL, 0, 0);
}

bool NativeDialog::visible() const {
    return IsWindowVisible(window_->handle) != FALSE;
}

void* NativeDialog::nativeHandle() const {
    return window_->handle;
}

}  // namespace bv3::platform
