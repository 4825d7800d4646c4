#pragma once
// TfrmDownload ("PC to STB") for builds without a toolkit: the shared window; what the events
// do is DownloadDialogController's.

#include "transfer/download_dialog_controller.h"
#include "transfer/win32/transfer_dialog_native.h"

namespace bv3::transfer::native {

class TfrmDownload final : public TransferDialog {
public:
    TfrmDownload() : TransferDialog(downloadForm) {}

    const DownloadSession& session() const { return controller_.session(); }

protected:
    TransferDialogController& controller() override { return controller_; }

private:
    DownloadDialogController controller_{*this, ui::processMessageBoxService()};
};

}  // namespace bv3::transfer::native
