#pragma once
// TfrmDownload ("PC to STB") on Qt: the shared window; what the events do is
// DownloadDialogController's.

#include "transfer/download_dialog_controller.h"
#include "transfer/qt/transfer_dialog.h"

namespace bv3::transfer {

class TfrmDownload final : public TransferDialog {
public:
    TfrmDownload() : TransferDialog(downloadForm) {}

    const DownloadSession& session() const { return controller_.session(); }

protected:
    TransferDialogController& controller() override { return controller_; }

private:
    DownloadDialogController controller_{*this, ui::processMessageBoxService()};
};

}  // namespace bv3::transfer
