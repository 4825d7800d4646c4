// A plain Win32 window behind runNativeForm: a window class of our own, the texts drawn with
// GDI on WM_PAINT, and a modal loop that disables the thread's other windows (the host's) for
// as long as the form is open, as a modal form of the original toolkit does.
#include "platform/native_form.h"
#include "platform/win32/windows_api.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace bv3::platform {

namespace {

constexpr char formClassName[] = "BV3NativeForm";

struct FontRelease {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontRelease>;

Font createFont(const NativeForm& form, bool bold) {
    return Font(CreateFontA(form.fontHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            form.fontName.c_str()));
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

void registerFormClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = formProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        windowClass.lpszClassName = formClassName;
        return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered) {
        throw std::runtime_error("cannot register the window class of the library's forms");
    }
}

// The thread's enabled top-level windows other than the form: disabled while it is modal.
class DisabledWindows {
public:
    explicit DisabledWindows(HWND form) : form_(form) {
        EnumThreadWindows(GetCurrentThreadId(), collect, reinterpret_cast<LPARAM>(this));
        for (HWND window : windows_) {
            EnableWindow(window, FALSE);
        }
    }
    ~DisabledWindows() {
        for (HWND window : windows_) {
            EnableWindow(window, TRUE);
        }
    }
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

private:
    static BOOL CALLBACK collect(HWND window, LPARAM self) {
        auto* disabled = reinterpret_cast<DisabledWindows*>(self);
        if (window != disabled->form_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
            disabled->windows_.push_back(window);
        }
        return TRUE;
    }
    HWND form_;
    std::vector<HWND> windows_;
};

}  // namespace

int runNativeForm(const NativeForm& form) {
    registerFormClass();
    FormState state;
    state.form = &form;
    state.regular = createFont(form, false);
    state.bold = createFont(form, true);

    // A single, non-resizable border with the system menu (and so the close box) only.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD extendedStyle = WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, form.clientWidth, form.clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
    HWND owner = GetActiveWindow();
    HWND window = CreateWindowExA(extendedStyle, formClassName, form.caption.c_str(), style, form.left, form.top,
                                  frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                                  GetModuleHandleA(nullptr), &state);
    if (window == nullptr) {
        throw std::runtime_error("cannot show the window \"" + form.caption + "\" (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    {
        const DisabledWindows disabled(window);
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        MSG message{};
        while (!state.closed) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == 0) {
                // The host is quitting: end the form and hand the quit on to the host's loop.
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got == -1) {
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (IsWindow(window)) {
            DestroyWindow(window);
        }
    }
    if (owner != nullptr && IsWindow(owner)) {
        SetActiveWindow(owner);
    }
    return nativeModalCancel;
}

}  // namespace bv3::platform
