#pragma once
// TfrmUpLoad ("STB to PC") on Qt: the shared window with the retry line and Timer1, the
// 3000 ms watchdog; what the events do is UploadDialogController's.

#include "transfer/qt/transfer_dialog.h"
#include "transfer/upload_dialog_controller.h"

#include <QTimer>

namespace bv3::transfer {

class TfrmUpLoad final : public TransferDialog {
public:
    TfrmUpLoad();

    QLabel* Label3() const { return retryLine(); }
    QTimer& Timer1() { return timer1_; }
    const UploadSession& session() const { return controller_.session(); }

protected:
    TransferDialogController& controller() override { return controller_; }

private:
    void setTimer1(bool running) override;

    QTimer timer1_;
    UploadDialogController controller_{*this, ui::processMessageBoxService()};
};

}  // namespace bv3::transfer
