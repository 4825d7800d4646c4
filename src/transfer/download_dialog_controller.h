#pragma once
// TfrmDownload's logic for every toolkit: the session bound to Comm1 and what each of the
// form's events does.

#include "transfer/download_session.h"
#include "transfer/transfer_dialog_controller.h"

namespace bv3::transfer {

class DownloadDialogController final : public TransferDialogController {
public:
    DownloadDialogController(TransferDialogView& view, ui::MessageBoxService& boxes);
    // The port goes first, while the session its handlers call still exists.
    ~DownloadDialogController() override { Comm1().Close(); }

    const DownloadSession& session() const { return session_; }

    // Opens the port, resets the transfer and opens the file; throws when the port cannot be
    // opened.
    void FormShow() override;
    // Cancel and Escape: releases the port and the file and closes.
    void BitBtn1Click() override;
    // The close box releases the port and the file as Cancel does, instead of leaving them
    // open while the hidden dialog lives.
    void CloseBoxClicked() override;

private:
    void setFilePath(const std::string& path) override { session_.setFilePath(path); }

    DownloadSession session_;
};

}  // namespace bv3::transfer
