#pragma once
// The Qt window both transfer dialogs share: it builds the panel with its status line, block
// counter and gauge, the Cancel button (Escape presses it) and, for the upload, the retry line
// from the form's description (transfer_forms.h), hands the form's events to the dialog's
// controller and shows what the controller tells it. Every way of ending yields the cancel
// result, 2.

#include "serial/comm.h"
#include "transfer/transfer_dialog_controller.h"
#include "transfer/transfer_forms.h"
#include "ui/qt/progress.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>

class QFrame;
class QLabel;
class QPushButton;

namespace bv3::transfer {

class TransferDialog : public QDialog, protected TransferDialogView {
public:
    // Setup: the port and rate indexes of the host, and the file. Opens nothing.
    void Setup(std::uint8_t portIndex, std::uint8_t baudIndex, const std::string& filePath) {
        controller().Setup(portIndex, baudIndex, filePath);
    }
    // The same with a device name (or path) and a rate, for the command-line tool.
    void SetupDevice(const std::string& deviceName, serial::TBaudrate rate, const std::string& filePath) {
        controller().SetupDevice(deviceName, rate, filePath);
    }

    serial::TComm& Comm1() { return controller().Comm1(); }
    // Why the port would not open when the dialog was shown; none once it opened.
    const std::optional<serial::ECommError>& portOpenFailure() { return controller().portOpenFailure(); }
    QFrame* Panel1() const { return panel1_; }
    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }
    ui::TProgress* Progress1() const { return progress1_; }
    QPushButton* BitBtn1() const { return bitBtn1_; }

    // Grabs the dialog to a PNG once the gauge reaches `percent` (or when it closes, if it
    // never does). For documentation pictures.
    void setScreenshot(const std::string& path, int percent);

    // Every way of ending yields the cancel result, 2.
    void done(int result) override;
    // Escape: the same as pressing Cancel.
    void reject() override;

protected:
    explicit TransferDialog(const TransferForm& form);
    virtual TransferDialogController& controller() = 0;
    // The upload's retry line; none on a form without one.
    QLabel* retryLine() const { return label3_; }
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showLine(StatusLine line, const std::string& text) override;
    void showProgress(int percent) override;
    void closeDialog() override;
    void takeScreenshotNow();

    QFrame* panel1_;
    QLabel* label1_;
    QLabel* label2_;
    ui::TProgress* progress1_;
    QPushButton* bitBtn1_;
    QLabel* label3_ = nullptr;
    std::string screenshotPath_;
    int screenshotPercent_ = 101;
    bool closing_ = false;
};

}  // namespace bv3::transfer
