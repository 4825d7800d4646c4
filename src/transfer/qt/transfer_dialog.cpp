#include "transfer/qt/transfer_dialog.h"

#include "platform/qt/qt_ui_thread.h"
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

namespace {

QRect toQRect(const ui::FormRect& rect) {
    return {rect.left, rect.top, rect.width, rect.height};
}

QLabel* makeLabel(const FormControl& control, const std::string& caption, QWidget* parent) {
    auto* label = new QLabel(QString::fromLocal8Bit(caption.c_str()), parent);
    label->setObjectName(ui::formText(control.name));
    // A right-aligned label grows to the left from its right edge; the others keep Qt's
    // placing of a line in the label's height.
    if (control.align == ui::TextAlign::Right) {
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    }
    label->setGeometry(toQRect(control.bounds));
    return label;
}

Qt::WindowFlags formWindowFlags(const TransferForm& form) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (form.stayOnTop) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    return flags;
}

}  // namespace

TransferDialog::TransferDialog(const TransferForm& form)
    : QDialog(nullptr, formWindowFlags(form)),
      panel1_(new QFrame(this)),
      label1_(makeLabel(form.label1, phaseText(form.label1Phase), panel1_)),
      label2_(makeLabel(form.label2, {}, panel1_)),
      progress1_(new ui::TProgress(panel1_)),
      bitBtn1_(new QPushButton(ui::formText(form.bitBtn1.caption), this)) {
    setObjectName(ui::formText(form.name));
    setWindowTitle(ui::formText(form.caption));
    setFont(ui::formFont(form.font));
    setFixedSize(form.clientWidth, form.clientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }

    panel1_->setObjectName(ui::formText(form.panel1.name));
    panel1_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1_->setLineWidth(1);
    panel1_->setGeometry(toQRect(form.panel1.bounds));

    progress1_->setObjectName(ui::formText(form.progress1.name));
    progress1_->setGeometry(toQRect(form.progress1.bounds));
    progress1_->SetBackColor(form.progress1Look.back);
    progress1_->SetBorderColor(form.progress1Look.border);
    progress1_->SetFromColor(form.progress1Look.from);
    progress1_->SetToColor(form.progress1Look.to);
    progress1_->SetTextColor(ui::toQColor(form.progress1Look.text));

    bitBtn1_->setObjectName(ui::formText(form.bitBtn1.name));
    bitBtn1_->setGeometry(toQRect(form.bitBtn1.bounds));
    bitBtn1_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    bitBtn1_->setAutoDefault(false);
    connect(bitBtn1_, &QPushButton::clicked, this, [this] { controller().BitBtn1Click(); });

    if (form.label3) {
        label3_ = makeLabel(*form.label3, {}, this);
    }

    // Serial notifications arrive through the application's event loop.
    platform::useQtUiThread();
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
        controller().CloseBoxClicked();
    }
    event->accept();
}

void TransferDialog::reject() {
    controller().BitBtn1Click();
}

void TransferDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The form's show step runs once the dialog is on screen, as part of showing it.
    QTimer::singleShot(0, this, [this] { controller().Shown(); });
}

void TransferDialog::showLine(StatusLine line, const std::string& text) {
    QLabel* label = line == StatusLine::Label1 ? label1_ : line == StatusLine::Label2 ? label2_ : label3_;
    if (label != nullptr) {
        label->setText(QString::fromLocal8Bit(text.c_str()));
    }
}

void TransferDialog::showProgress(int percent) {
    progress1_->SetProgress(percent);
    if (percent >= screenshotPercent_) {
        takeScreenshotNow();
    }
}

void TransferDialog::closeDialog() {
    if (!closing_) {
        done(ui::mrCancel);
    }
}

}  // namespace bv3::transfer
