#include "transfer/upload_dialog_controller.h"

namespace bv3::transfer {

UploadDialogController::UploadDialogController(TransferDialogView& view, ui::MessageBoxService& boxes)
    : TransferDialogController(view, boxes), session_(Comm1(), sessionView(), *this) {}

void UploadDialogController::FormShow() {
    session_.start();
}

void UploadDialogController::Timer1Timer() {
    session_.onWatchdog();
}

void UploadDialogController::BitBtn1Click() {
    session_.cancel();
}

void UploadDialogController::FormClose() {
    // The form is released after its modal call; releasing it closes the port.
    view().setTimer1(false);
}

void UploadDialogController::CloseBoxClicked() {
    FormClose();
    view().closeDialog();
}

}  // namespace bv3::transfer
