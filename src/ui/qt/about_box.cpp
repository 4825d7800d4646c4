#include "ui/qt/about_box.h"

#include "ui/about_form.h"
#include "ui/qt/form_font.h"
#include "ui/modal_result.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

namespace bv3::ui {

namespace {

QPalette::ColorRole roleOf(SystemColour colour) {
    return colour == SystemColour::ButtonFace ? QPalette::Button : QPalette::WindowText;
}

QLabel* makeLabel(const AboutFormLabel& description, QWidget* parent) {
    auto* label = new QLabel(formText(description.caption), parent);
    label->setObjectName(formText(description.name));
    FormFont font = aboutForm.font;
    font.bold = description.bold;
    label->setFont(formFont(font));
    label->setForegroundRole(roleOf(aboutForm.text));
    label->move(description.left, description.top);
    label->adjustSize();
    return label;
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      label1_(makeLabel(aboutForm.labels[0], this)),
      label2_(makeLabel(aboutForm.labels[1], this)) {
    setObjectName(formText(aboutForm.name));
    setWindowTitle(formText(aboutForm.caption));
    setFont(formFont(aboutForm.font));
    setBackgroundRole(roleOf(aboutForm.background));
    setAutoFillBackground(true);
    setFixedSize(aboutForm.clientWidth, aboutForm.clientHeight);
    move(aboutForm.left, aboutForm.top);
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
