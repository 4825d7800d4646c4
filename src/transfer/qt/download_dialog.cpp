#include "transfer/qt/download_dialog.h"
#include "transfer/handler_failure.h"

namespace bv3::transfer {

TfrmDownload::TfrmDownload() : TransferDialog(QStringLiteral("PC to STB"), QSize(358, 58)), session_(Comm1(), *this) {
    setObjectName(QStringLiteral("frmDownload"));
    Comm1().OnRxChar = [this](serial::TComm& sender, int count) { Comm1RxChar(sender, count); };
    Comm1().OnError = [this](serial::TComm& sender, int errors) { Comm1Error(sender, errors); };
    abandonOnHandlerFailure(Comm1(), session_);
}

void TfrmDownload::FormShow() {
    session_.start();
}

void TfrmDownload::Comm1RxChar(serial::TComm&, int count) {
    session_.onRxChar(count);
}

void TfrmDownload::Comm1Error(serial::TComm&, int errors) {
    session_.onLineError(errors);
}

void TfrmDownload::BitBtn1Click() {
    session_.cancel();
}

// The close box releases the port and the file as Cancel does, instead of leaving them open
// while the hidden dialog lives.
void TfrmDownload::CloseBoxClicked() {
    session_.cancel();
}

}  // namespace bv3::transfer
