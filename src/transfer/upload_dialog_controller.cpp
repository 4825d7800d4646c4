#include "transfer/upload_dialog_controller.h"

#include "transfer/handler_failure.h"

namespace bv3::transfer {

UploadDialogController::UploadDialogController(TransferDialogView& view)
    : TransferDialogController(view), session_(Comm1(), sessionView(), *this) {
    Comm1().OnRxChar = [this](serial::TComm& sender, int count) { Comm1RxChar(sender, count); };
    Comm1().OnError = [this](serial::TComm& sender, int errors) { Comm1Error(sender, errors); };
    abandonOnHandlerFailure(Comm1(), session_);
}

void UploadDialogController::FormShow() {
    session_.start();
}

void UploadDialogController::Comm1RxChar(serial::TComm&, int count) {
    session_.onRxChar(count);
}

void UploadDialogController::Comm1Error(serial::TComm&, int errors) {
    session_.onLineError(errors);
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
