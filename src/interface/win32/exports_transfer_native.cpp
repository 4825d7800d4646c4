// UploadData, DownloadData and VYRAbout in the Windows library, which has no toolkit: the
// transfer dialogs and the about box are plain Win32 windows.
#include "BV3Dll.h"
#include "interface/export_frame.h"
#include "transfer/win32/download_dialog_native.h"
#include "transfer/win32/upload_dialog_native.h"
#include "ui/win32/about_box_native.h"

#include <string>

namespace {

constexpr int32_t modalResultCancel = 2;

template <class Dialog>
int32_t runTransferDialog(uint8_t portIndex, uint8_t baudIndex, const char* filePath) {
    // The dialog is released when the call ends: once closed it is never used again, and
    // releasing it releases its port.
    Dialog dialog;
    dialog.Setup(portIndex, baudIndex, filePath != nullptr ? std::string(filePath) : std::string());
    return dialog.ShowModal();
}

}  // namespace

extern "C" BV3_API int32_t BV3_CALL UploadData(uint8_t portIndex, uint8_t baudIndex, const char* filePath) {
    return bv3::interface::runExport("UploadData", modalResultCancel, [&] {
        return runTransferDialog<bv3::transfer::native::TfrmUpLoad>(portIndex, baudIndex, filePath);
    });
}

extern "C" BV3_API int32_t BV3_CALL DownloadData(uint8_t portIndex, uint8_t baudIndex, const char* filePath) {
    return bv3::interface::runExport("DownloadData", modalResultCancel, [&] {
        return runTransferDialog<bv3::transfer::native::TfrmDownload>(portIndex, baudIndex, filePath);
    });
}

extern "C" BV3_API int32_t BV3_CALL VYRAbout(void) {
    return bv3::interface::runExport("VYRAbout", modalResultCancel, [] {
        bv3::ui::native::TfrmMain box;
        return static_cast<int32_t>(box.ShowModal());
    });
}
