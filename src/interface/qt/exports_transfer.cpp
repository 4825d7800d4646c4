// UploadData, DownloadData and VYRAbout: modal dialogs; the result is always the cancel result.
#include "BV3Dll.h"
#include "interface/export_frame.h"
#include "transfer/qt/download_dialog.h"
#include "transfer/qt/upload_dialog.h"
#include "ui/qt/about_box.h"
#include "ui/qt/application.h"
#include "ui/modal_result.h"

#include <string>

namespace {

using bv3::ui::mrCancel;

template <class Dialog>
int32_t runTransferDialog(uint8_t portIndex, uint8_t baudIndex, const char* filePath) {
    bv3::ui::application();
    // The dialog is released when the call ends: once closed it is never used again, and
    // releasing it releases its port.
    Dialog dialog;
    dialog.Setup(portIndex, baudIndex, filePath != nullptr ? std::string(filePath) : std::string());
    return dialog.exec();
}

}  // namespace

extern "C" BV3_API int32_t BV3_CALL UploadData(uint8_t portIndex, uint8_t baudIndex, const char* filePath) {
    return bv3::interface::runExport("UploadData", int32_t{mrCancel}, [&] {
        return runTransferDialog<bv3::transfer::TfrmUpLoad>(portIndex, baudIndex, filePath);
    });
}

extern "C" BV3_API int32_t BV3_CALL DownloadData(uint8_t portIndex, uint8_t baudIndex, const char* filePath) {
    return bv3::interface::runExport("DownloadData", int32_t{mrCancel}, [&] {
        return runTransferDialog<bv3::transfer::TfrmDownload>(portIndex, baudIndex, filePath);
    });
}

extern "C" BV3_API int32_t BV3_CALL VYRAbout(void) {
    return bv3::interface::runExport("VYRAbout", int32_t{mrCancel}, [] {
        bv3::ui::application();
        bv3::ui::TfrmMain box;
        return static_cast<int32_t>(box.exec());
    });
}
