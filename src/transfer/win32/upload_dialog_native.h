#pragma once
// TfrmUpLoad ("STB to PC") for builds without a toolkit: receives the receiver's memory image
// into a file, driven by the bytes the receiver sends, with a 3000 ms window timer as the
// watchdog that restarts a stalled block.

#include "transfer/win32/transfer_dialog_native.h"
#include "transfer/upload_session.h"

namespace bv3::transfer::native {

class TfrmUpLoad final : public TransferDialog, private Watchdog {
public:
    TfrmUpLoad();

    const UploadSession& session() const { return session_; }
    const std::string& Label3() { return window().text(label3Index); }
    unsigned Timer1Interval() const { return timer1Interval_; }
    bool Timer1Enabled() { return window().timerRunning(); }

    // The form's events, public so that hosts and tests can see them as the form does.
    void FormShow() override;
    void Comm1RxChar(serial::TComm& sender, int count);
    void Comm1Error(serial::TComm& sender, int errors);
    void Timer1Timer();
    void BitBtn1Click() override;
    void FormClose();

protected:
    void CloseBoxClicked() override;
    void TimerFired() override { Timer1Timer(); }

private:
    void setFilePath(const std::string& path) override { session_.setFilePath(path); }
    void setWatchdogRunning(bool running) override;

    unsigned timer1Interval_ = 3000;
    UploadSession session_;
};

}  // namespace bv3::transfer::native
