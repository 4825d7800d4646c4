#pragma once
// What both transfer dialogs do, whatever toolkit draws them: the port Comm1 with the
// dialogs' settings, Setup, the show step and its failure box, and the session's events turned
// into the form's lines. A window builds its controls from transfer_forms.h, forwards the
// form's events here and shows what it is told through TransferDialogView.

#include "serial/comm.h"
#include "serial/comm_error.h"
#include "transfer/transfer_texts.h"
#include "ui/message_box.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bv3::transfer {

// The window of a transfer dialog as its controller sees it.
class TransferDialogView {
public:
    virtual ~TransferDialogView() = default;
    // Label1, Label2 or (the upload's) Label3.
    virtual void showLine(StatusLine line, const std::string& text) = 0;
    // Progress1's percentage.
    virtual void showProgress(int percent) = 0;
    // Ends the modal loop; the result is the cancel result, 2, whatever the way of ending.
    virtual void closeDialog() = 0;
    // Timer1, the upload's watchdog: running (re)starts its interval, not running stops it.
    virtual void setTimer1(bool running) { (void)running; }
};

class TransferDialogController : private TextLinesView {
public:
    // `boxes` shows the error boxes (a window passes ui::processMessageBoxService()).
    TransferDialogController(TransferDialogView& view, ui::MessageBoxService& boxes);
    ~TransferDialogController() override = default;
    TransferDialogController(const TransferDialogController&) = delete;
    TransferDialogController& operator=(const TransferDialogController&) = delete;

    // Setup: the port and rate indexes of the host, and the file. Opens nothing.
    void Setup(std::uint8_t portIndex, std::uint8_t baudIndex, const std::string& filePath);
    // The same with a device name (or path) and a rate, for the command-line tool.
    void SetupDevice(const std::string& deviceName, serial::TBaudrate rate, const std::string& filePath);

    serial::TComm& Comm1() { return comm1_; }

    // The dialog is on screen: runs FormShow as the form framework would, showing the message
    // of a failure raised by it (the port cannot be opened) in an error box and leaving the
    // dialog open and idle until it is cancelled.
    void Shown();
    // The port's own error when it would not open on Shown (the box shows its text); none once
    // it opened. A window that words the failure itself reads the reason here.
    const std::optional<serial::ECommError>& portOpenFailure() const { return portOpenFailure_; }

    // The form's events.
    virtual void FormShow() = 0;
    virtual void BitBtn1Click() = 0;  // Cancel, and Escape
    virtual void CloseBoxClicked() = 0;

protected:
    // The session's view: what it shows goes to the window's lines.
    TransferView& sessionView() { return *this; }
    TransferDialogView& view() { return view_; }

private:
    virtual void setFilePath(const std::string& path) = 0;
    void showLine(StatusLine line, const std::string& text) override { view_.showLine(line, text); }
    void showProgress(int percent) override { view_.showProgress(percent); }
    void close() override { view_.closeDialog(); }
    void reportText(const std::string& text) override;

    TransferDialogView& view_;
    ui::MessageBoxService& boxes_;
    serial::TComm comm1_;
    std::optional<serial::ECommError> portOpenFailure_;
};

}  // namespace bv3::transfer
