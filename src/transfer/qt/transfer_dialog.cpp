#include "transfer/qt/transfer_dialog.h"

#include "platform/qt/qt_ui_thread.h"
#include "transfer/port_setup.h"
#include "ui/qt/form_font.h"
#include "ui/message_box.h"
#include "ui/modal_result.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace bv3::transfer {

TransferDialog::TransferDialog(const QString& caption, QSize clientSize)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      panel1_(new QFrame(this)),
      label1_(new QLabel(QString::fromStdString(phaseText(TransferPhase::Waiting)), panel1_)),
      label2_(new QLabel(panel1_)),
      progress1_(new ui::TProgress(panel1_)),
      bitBtn1_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(caption);
    setFont(ui::formFont());
    setFixedSize(clientSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
    configureTransferPort(comm1_);

    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1_->setLineWidth(1);
    panel1_->setGeometry(4, 3, 353, 29);

    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(3, 3, 340, 14);
    // The counter is right-aligned: it grows to the left from its right edge.
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label2_->setGeometry(347 - 120, 3, 120, 14);

    progress1_->setObjectName(QStringLiteral("Progress1"));
    progress1_->setGeometry(1, 20, 351, 7);
    progress1_->SetBackColor(ui::clBlack);
    progress1_->SetBorderColor(ui::clBlack);
    progress1_->SetFromColor(ui::clBlue);
    progress1_->SetToColor(ui::clAqua);
    progress1_->SetTextColor(ui::toQColor(ui::clTeal));

    bitBtn1_->setObjectName(QStringLiteral("BitBtn1"));
    bitBtn1_->setGeometry(280, 34, 78, 24);
    bitBtn1_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    bitBtn1_->setAutoDefault(false);
    connect(bitBtn1_, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    // Serial notifications arrive through the application's event loop.
    platform::useQtUiThread();
}

void TransferDialog::Setup(std::uint8_t portIndex, std::uint8_t baudIndex, const std::string& filePath) {
    applyPortIndexes(comm1_, portIndex, baudIndex);
    setFilePath(filePath);
}

void TransferDialog::SetupDevice(const std::string& deviceName, serial::TBaudrate rate, const std::string& filePath) {
    comm1_.SetDeviceName(deviceName);
    comm1_.SetBaudRate(rate);
    setFilePath(filePath);
}

void TransferDialog::setScreenshot(const std::string& path, int percent) {
    screenshotPath_ = path;
    screenshotPercent_ = percent;
}

void TransferDialog::takeScreenshotNow() {
    if (screenshotPath_.empty()) {
        return;
    }
    const std::string path = std::exchange(screenshotPath_, {});
    if (!grab().save(QString::fromLocal8Bit(path.c_str()), "PNG")) {
        ui::showErrorBox("Cannot write the screenshot " + path);
    }
}

void TransferDialog::done(int) {
    closing_ = true;
    takeScreenshotNow();
    QDialog::done(ui::mrCancel);
}

void TransferDialog::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        CloseBoxClicked();
    }
    event->accept();
}

void TransferDialog::reject() {
    BitBtn1Click();
}

void TransferDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The form's show step runs once the dialog is on screen, as part of showing it.
    QTimer::singleShot(0, this, [this] {
        try {
            FormShow();
        } catch (const std::exception& failure) {
            showStartFailure(failure);
        }
    });
}

void TransferDialog::showStartFailure(const std::exception& failure) {
    ui::showErrorBox(portOpenFailureText(comm1_.DeviceName(), failure.what()));
}

QLabel* TransferDialog::lineLabel(StatusLine line) const {
    switch (line) {
        case StatusLine::Label1:
            return label1_;
        case StatusLine::Label2:
            return label2_;
        case StatusLine::Label3:
            break;
    }
    return nullptr;
}

void TransferDialog::showLine(StatusLine line, const std::string& text) {
    if (QLabel* label = lineLabel(line)) {
        label->setText(QString::fromLocal8Bit(text.c_str()));
    }
}

void TransferDialog::showProgress(int percent) {
    progress1_->SetProgress(percent);
    if (percent >= screenshotPercent_) {
        takeScreenshotNow();
    }
}

void TransferDialog::reportText(const std::string& text) {
    ui::showErrorBox(text);
}

void TransferDialog::close() {
    if (!closing_) {
        done(ui::mrCancel);
    }
}

}  // namespace bv3::transfer
