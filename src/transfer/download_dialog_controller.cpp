#include "transfer/download_dialog_controller.h"

namespace bv3::transfer {

DownloadDialogController::DownloadDialogController(TransferDialogView& view, ui::MessageBoxService& boxes)
    : TransferDialogController(view, boxes), session_(Comm1(), sessionView()) {}

void DownloadDialogController::FormShow() {
    session_.start();
}

void DownloadDialogController::BitBtn1Click() {
    session_.cancel();
}

void DownloadDialogController::CloseBoxClicked() {
    session_.cancel();
}

}  // namespace bv3::transfer
