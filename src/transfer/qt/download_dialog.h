#pragma once
// TfrmDownload ("PC to STB"): serves the bytes of a file to the receiver's requests until its
// end request.

#include "transfer/download_session.h"
#include "transfer/qt/transfer_dialog.h"

namespace bv3::transfer {

class TfrmDownload final : public TransferDialog {
public:
    TfrmDownload();

    const DownloadSession& session() const { return session_; }

    void FormShow() override;
    void Comm1RxChar(serial::TComm& sender, int count);
    void Comm1Error(serial::TComm& sender, int errors);
    void BitBtn1Click() override;

protected:
    void CloseBoxClicked() override;

private:
    void setFilePath(const std::string& path) override { session_.setFilePath(path); }
    DownloadSession session_;
};

}  // namespace bv3::transfer
