// MessageBoxA behind the native message box. Captions and texts are 8-bit strings in the
// ANSI code page, exactly what MessageBoxA takes. The box is task-modal: it disables the
// host's windows on this thread, as the library's own forms do while they are shown.
#include "platform/native_message_box.h"
#include "platform/win32/windows_api.h"

#include <cstdio>

namespace bv3::platform {

namespace {

UINT iconStyle(NativeMessageIcon icon) {
    switch (icon) {
        case NativeMessageIcon::Warning:
            return MB_ICONWARNING;
        case NativeMessageIcon::Information:
            return MB_ICONINFORMATION;
        case NativeMessageIcon::Error:
            break;
    }
    return MB_ICONERROR;
}

// MessageBoxA has no free captions; a single button of any caption is shown as "OK", which is
// what every one-button box of this library means.
UINT buttonStyle(const std::vector<std::string>& buttons) {
    switch (buttons.size()) {
        case 2:
            return MB_OKCANCEL;
        case 3:
            return MB_YESNOCANCEL;
        default:
            return MB_OK;
    }
}

}  // namespace

void showNativeMessageBox(const NativeMessageBox& box) {
    const int answer = MessageBoxA(nullptr, box.text.c_str(), box.caption.c_str(),
                                   iconStyle(box.icon) | buttonStyle(box.buttons) | MB_TASKMODAL | MB_SETFOREGROUND);
    if (answer <= 0) {
        // No box could be shown (no desktop, e.g. a service or a headless run): the text still
        // reaches whoever reads the process's error output, as on a host without a display.
        std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
        std::fflush(stderr);
    }
}

}  // namespace bv3::platform
