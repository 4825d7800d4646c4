// A plain Win32 window behind runNativeForm: a window class of our own, the texts drawn with
// GDI on WM_PAINT, and a modal loop that disables the thread's other windows (the host's) for
// as long as the form is open, as a modal form of the original toolkit does.
#include "platform/native_form.h"
#include "platform/win32/gdi.h"
#include "platform/win32/modal_loop.h"
#include "platform/win32/window_class.h"
#include "platform/win32/windows_api.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace bv3::platform {

namespace {

using Font = win32::GdiObject;

constexpr char formClassName[] = "BV3NativeForm";

Font createFont(const NativeForm& form, bool bold) {
    return win32::createFont(form.fontName, form.fontHeight, bold);
}

// What the window procedure needs while the form is open.
struct FormState {
    const NativeForm* form = nullptr;
    Font regular;
    Font bold;
    bool closed = false;
};

void paint(HWND window, const FormState& state) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const HGDIOBJ previous = SelectObject(dc, state.regular.get());
    for (const auto& label : state.form->labels) {
        SelectObject(dc, label.bold ? state.bold.get() : state.regular.get());
        TextOutA(dc, label.left, label.top, label.text.c_str(), static_cast<int>(label.text.size()));
    }
    SelectObject(dc, previous);
    EndPaint(window, &paint);
}

LRESULT CALLBACK formProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<FormState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_PAINT:
            if (state != nullptr) {
                paint(window, *state);
                return 0;
            }
            break;
        case WM_CLOSE:
            if (state != nullptr) {
                state->closed = true;
            }
            DestroyWindow(window);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const win32::WindowClass& formClass() {
    static const win32::WindowClass registered(formClassName, formProcedure, {.arrowCursor = true, .buttonFace = true},
                                               "the library's forms");
    return registered;
}

}  // namespace

int runNativeForm(const NativeForm& form) {
    const win32::WindowClass& windowClass = formClass();
    FormState state;
    state.form = &form;
    state.regular = createFont(form, false);
    state.bold = createFont(form, true);

    // A single, non-resizable border with the system menu (and so the close box) only.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD extendedStyle = WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, form.clientWidth, form.clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
    HWND window = CreateWindowExA(extendedStyle, windowClass.name(), form.caption.c_str(), style, form.left, form.top,
                                  frame.right - frame.left, frame.bottom - frame.top, GetActiveWindow(), nullptr,
                                  win32::ownModule(), &state);
    if (window == nullptr) {
        throw std::runtime_error("cannot show the window \"" + form.caption + "\" (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    win32::runModalLoop(
        window,
        [window] {
            ShowWindow(window, SW_SHOWNORMAL);
            UpdateWindow(window);
        },
        [&state] { return state.closed; });
    if (IsWindow(window)) {
        DestroyWindow(window);
    }
    return nativeModalCancel;
}

}  // namespace bv3::platform
