#include "transfer/qt/upload_dialog.h"
#include "transfer/handler_failure.h"

#include "ui/modal_result.h"

#include <QLabel>

namespace bv3::transfer {

TfrmUpLoad::TfrmUpLoad()
    : TransferDialog(QStringLiteral("STB to PC"), QSize(362, 59)),
      label3_(new QLabel(this)),
      session_(Comm1(), *this, *this) {
    setObjectName(QStringLiteral("frmUpLoad"));
    label3_->setObjectName(QStringLiteral("Label3"));
    label3_->setGeometry(5, 45, 270, 14);

    timer1_.setObjectName(QStringLiteral("Timer1"));
    timer1_.setInterval(3000);
    connect(&timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });

    Comm1().OnRxChar = [this](serial::TComm& sender, int count) { Comm1RxChar(sender, count); };
    Comm1().OnError = [this](serial::TComm& sender, int errors) { Comm1Error(sender, errors); };
    abandonOnHandlerFailure(Comm1(), session_);
}

void TfrmUpLoad::FormShow() {
    session_.start();
}

void TfrmUpLoad::Comm1RxChar(serial::TComm&, int count) {
    session_.onRxChar(count);
}

void TfrmUpLoad::Comm1Error(serial::TComm&, int errors) {
    session_.onLineError(errors);
}

void TfrmUpLoad::Timer1Timer() {
    session_.onWatchdog();
}

void TfrmUpLoad::BitBtn1Click() {
    session_.cancel();
}

void TfrmUpLoad::FormClose() {
    // The form is released after its modal call; releasing it closes the port.
    timer1_.stop();
}

void TfrmUpLoad::CloseBoxClicked() {
    // The close box closes without deleting the file.
    FormClose();
    done(ui::mrCancel);
}

void TfrmUpLoad::setWatchdogRunning(bool running) {
    if (running) {
        timer1_.start();
    } else {
        timer1_.stop();
    }
}

QLabel* TfrmUpLoad::lineLabel(StatusLine line) const {
    return line == StatusLine::Label3 ? label3_ : TransferDialog::lineLabel(line);
}

}  // namespace bv3::transfer
