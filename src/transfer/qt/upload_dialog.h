#pragma once
// TfrmUpLoad ("STB to PC"): receives the receiver's memory image into a file, driven by the
// bytes the receiver sends, with a 3000 ms watchdog that restarts a stalled block.

#include "transfer/qt/transfer_dialog.h"
#include "transfer/upload_session.h"

#include <QTimer>

namespace bv3::transfer {

class TfrmUpLoad final : public TransferDialog, private Watchdog {
public:
    TfrmUpLoad();

    QLabel* Label3() const { return label3_; }
    QTimer& Timer1() { return timer1_; }
    const UploadSession& session() const { return session_; }

    // The form's events, public so that hosts and tests can see them as the form does.
    void FormShow() override;
    void Comm1RxChar(serial::TComm& sender, int count);
    void Comm1Error(serial::TComm& sender, int errors);
    void Timer1Timer();
    void BitBtn1Click() override;
    void FormClose();

protected:
    void CloseBoxClicked() override;
    QLabel* lineLabel(StatusLine line) const override;

private:
    void setFilePath(const std::string& path) override { session_.setFilePath(path); }
    void setWatchdogRunning(bool running) override;

    QLabel* label3_;
    QTimer timer1_;
    UploadSession session_;
};

}  // namespace bv3::transfer
