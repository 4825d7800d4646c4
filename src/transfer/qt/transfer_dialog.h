#pragma once
// The parts both transfer dialogs share: the fixed layout of the panel with its status line,
// block counter and gauge, the Cancel button with Escape, the serial port Comm1, and the
// cancel modal result whatever way the dialog ends.

#include "serial/comm.h"
#include "transfer/transfer_texts.h"
#include "ui/qt/progress.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <string>

class QFrame;
class QLabel;
class QPushButton;

namespace bv3::transfer {

class TransferDialog : public QDialog, public TextLinesView {
public:
    TransferDialog(const QString& caption, QSize clientSize);

    // Setup: the port and rate indexes of the host, and the file. Opens nothing.
    void Setup(std::uint8_t portIndex, std::uint8_t baudIndex, const std::string& filePath);
    // The same with a device name (or path) and a rate, for the command-line tool.
    void SetupDevice(const std::string& deviceName, serial::TBaudrate rate, const std::string& filePath);

    serial::TComm& Comm1() { return comm1_; }
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

    // TransferView
    void showLine(StatusLine line, const std::string& text) override;
    void showProgress(int percent) override;
    // Ends the modal loop (the session's "close the dialog").
    void close() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    virtual void FormShow() = 0;
    virtual void BitBtn1Click() = 0;
    // The title bar's close box.
    virtual void CloseBoxClicked() = 0;
    virtual void setFilePath(const std::string& path) = 0;
    // Shows the message of a failure raised while the dialog was being shown, as the form
    // framework would, and leaves the dialog open and idle.
    void showStartFailure(const std::exception& failure);
    void reportText(const std::string& text) override;
    void takeScreenshotNow();
    virtual QLabel* lineLabel(StatusLine line) const;

private:
    serial::TComm comm1_;
    QFrame* panel1_;
    QLabel* label1_;
    QLabel* label2_;
    ui::TProgress* progress1_;
    QPushButton* bitBtn1_;
    std::string screenshotPath_;
    int screenshotPercent_ = 101;
    bool closing_ = false;
};

}  // namespace bv3::transfer
