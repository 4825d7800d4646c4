#pragma once
// TfrmUpLoad's logic for every toolkit: the session bound to Comm1, Timer1 as its watchdog,
// and what each of the form's events does.

#include "transfer/transfer_dialog_controller.h"
#include "transfer/upload_session.h"

namespace bv3::transfer {

class UploadDialogController final : public TransferDialogController, private Watchdog {
public:
    UploadDialogController(TransferDialogView& view, ui::MessageBoxService& boxes);
    // The port goes first, while the session its handlers call still exists.
    ~UploadDialogController() override { Comm1().Close(); }

    const UploadSession& session() const { return session_; }

    // Opens the port and resets the transfer; throws when the port cannot be opened.
    void FormShow() override;
    void Timer1Timer();
    // Cancel and Escape: deletes the target file if one exists, then closes.
    void BitBtn1Click() override;
    void FormClose();
    // Closes without deleting the file.
    void CloseBoxClicked() override;

private:
    void setFilePath(const std::string& path) override { session_.setFilePath(path); }
    void setWatchdogRunning(bool running) override { view().setTimer1(running); }

    UploadSession session_;
};

}  // namespace bv3::transfer
