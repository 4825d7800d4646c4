#pragma once
// TfrmUpLoad ("STB to PC") for builds without a toolkit: the shared window with the retry line
// and Timer1, a 3000 ms window timer as the watchdog; what the events do is
// UploadDialogController's.

#include "transfer/upload_dialog_controller.h"
#include "transfer/win32/transfer_dialog_native.h"

namespace bv3::transfer::native {

class TfrmUpLoad final : public TransferDialog {
public:
    TfrmUpLoad() : TransferDialog(uploadForm) {}

    const UploadSession& session() const { return controller_.session(); }
    const std::string& Label3() { return window().text(label3Index); }
    unsigned Timer1Interval() const { return uploadForm.timer1->intervalMs; }
    bool Timer1Enabled() { return window().timerRunning(); }

protected:
    TransferDialogController& controller() override { return controller_; }
    void timerFired() override { controller_.Timer1Timer(); }

private:
    UploadDialogController controller_{*this, ui::processMessageBoxService()};
};

}  // namespace bv3::transfer::native
