#include "transfer/download_dialog_controller.h"

#include "transfer/handler_failure.h"

namespace bv3::transfer {

DownloadDialogController::DownloadDialogController(TransferDialogView& view)
    : TransferDialogController(view), session_(Comm1(), sessionView()) {
    Comm1().OnRxChar = [this](serial::TComm& sender, int count) { Comm1RxChar(sender, count); };
    Comm1().OnError = [this](serial::TComm& sender, int errors) { Comm1Error(sender, errors); };
    abandonOnHandlerFailure(Comm1(), session_);
}

void DownloadDialogController::FormShow() {
    session_.start();
}

void DownloadDialogController::Comm1RxChar(serial::TComm&, int count) {
    session_.onRxChar(count);
}

void DownloadDialogController::Comm1Error(serial::TComm&, int errors) {
    session_.onLineError(errors);
}

void DownloadDialogController::BitBtn1Click() {
    session_.cancel();
}

void DownloadDialogController::CloseBoxClicked() {
    session_.cancel();
}

}  // namespace bv3::transfer
