#include "transfer/win32/upload_dialog_native.h"

#include "transfer/handler_failure.h"

namespace bv3::transfer::native {

TfrmUpLoad::TfrmUpLoad() : TransferDialog("STB to PC", 362, 59, true), session_(Comm1(), *this, *this) {
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
    setWatchdogRunning(false);
}

void TfrmUpLoad::CloseBoxClicked() {
    // The close box closes without deleting the file.
    FormClose();
    close();
}

void TfrmUpLoad::setWatchdogRunning(bool running) {
    window().setTimer(running, timer1Interval_);
}

}  // namespace bv3::transfer::native
