#include "ui/qt/about_box.h"

#include "ui/qt/form_font.h"
#include "ui/modal_result.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

namespace bv3::ui {

TfrmMain::TfrmMain(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      label1_(new QLabel(QStringLiteral("Brevora V3 DLL Ver 0.97"), this)),
      label2_(new QLabel(QStringLiteral("Last Build : 2001.3.8"), this)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("BV3 DLL"));
    setFont(formFont());
    // Button-face background, window-text text: the dialog colours of the desktop.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFixedSize(155, 43);
    move(498, 388);

    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setFont(formFont(true));
    label1_->setForegroundRole(QPalette::WindowText);
    label1_->move(4, 4);
    label1_->adjustSize();
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setForegroundRole(QPalette::WindowText);
    label2_->move(43, 27);
    label2_->adjustSize();
}

void TfrmMain::done(int) {
    QDialog::done(mrCancel);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

}  // namespace bv3::ui

namespace bv3::ui {

int runAboutBox(const std::string& screenshotPath, bool* saved) {
    TfrmMain box;
    if (!screenshotPath.empty()) {
        QTimer::singleShot(0, &box, [&box, &screenshotPath, saved] {
            const bool written = box.grab().save(QString::fromLocal8Bit(screenshotPath.c_str()), "PNG");
            if (saved != nullptr) {
                *saved = written;
            }
            box.close();
        });
    }
    return box.exec();
}

}  // namespace bv3::ui
