#pragma once
// The parts both transfer dialogs share, for builds without a toolkit: the fixed layout of the
// panel with its status line, block counter and gauge, the Cancel button with Escape, the
// serial port Comm1 with its events handed to this thread, and the cancel modal result
// whatever way the dialog ends. The window itself is the platform's (native_dialog.h).

#include "platform/native_dialog.h"
#include "platform/native_ui_thread.h"
#include "serial/comm.h"
#include "transfer/transfer_texts.h"
#include "ui/win32/progress_native.h"

#include <cstdint>
#include <string>

namespace bv3::transfer::native {

class TransferDialog : public TextLinesView, private platform::NativeDialogEvents {
public:
    // The texts of the window, in the order of its layout.
    static constexpr std::size_t label1Index = 0;
    static constexpr std::size_t label2Index = 1;
    static constexpr std::size_t label3Index = 2;

    TransferDialog(const std::string& caption, int clientWidth, int clientHeight, bool withRetryLine);
    ~TransferDialog() override;
    TransferDialog(const TransferDialog&) = delete;
    TransferDialog& operator=(const TransferDialog&) = delete;

    // Setup: the port and rate indexes of the host, and the file. Opens nothing.
    void Setup(std::uint8_t portIndex, std::uint8_t baudIndex, const std::string& filePath);

    serial::TComm& Comm1() { return comm1_; }
    ui::native::TProgress& Progress1() { return progress1_; }
    const std::string& Label1() const { return window_.text(label1Index); }
    const std::string& Label2() const { return window_.text(label2Index); }
    platform::NativeDialog& window() { return window_; }

    // Shows the dialog modally; the result is always the cancel result, 2.
    int ShowModal();

    // TransferView
    void showLine(StatusLine line, const std::string& text) override;
    void showProgress(int percent) override;
    // Ends the modal loop (the session's "close the dialog").
    void close() override;

protected:
    virtual void FormShow() = 0;
    virtual void BitBtn1Click() = 0;
    // The title bar's close box.
    virtual void CloseBoxClicked() = 0;
    // The window timer (only the upload has one).
    virtual void TimerFired() {}
    virtual void setFilePath(const std::string& path) = 0;
    void reportText(const std::string& text) override;

private:
    void onShow() override;
    void onButton() override { BitBtn1Click(); }
    void onCloseBox() override { CloseBoxClicked(); }
    void onTimer() override { TimerFired(); }

    // Declared first: the port's event thread hands its notifications to this thread until
    // the port is closed, which releasing Comm1 does.
    platform::ScopedNativeUiThread uiThread_;
    serial::TComm comm1_;
    ui::native::TProgress progress1_;
    platform::NativeDialog window_;
    bool withRetryLine_;
};

}  // namespace bv3::transfer::native
