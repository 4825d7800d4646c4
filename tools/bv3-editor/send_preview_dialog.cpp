#include "send_preview_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bv3::editor {

SendPreviewDialog::SendPreviewDialog(const QString& headline, const QString& report, QWidget* parent)
    : QDialog(parent), verify_(new QCheckBox(tr("&Verify after sending (receive the list again and compare)"))) {
    setWindowTitle(tr("Send to the receiver"));
    setObjectName("sendPreviewDialog");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(headline);
    title->setWordWrap(true);
    layout->addWidget(title);
    if (!report.isEmpty()) {
        auto* text = new QPlainTextEdit(report);
        text->setObjectName("sendPreviewReport");
        text->setReadOnly(true);
        text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        layout->addWidget(text, 1);
    }
    verify_->setObjectName("verifyAfterSending");
    verify_->setChecked(true);
    verify_->setToolTip(tr("After the download, receive the list from the receiver again and show whether it holds "
                           "exactly this list"));
    layout->addWidget(verify_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    send_ = buttons->addButton(tr("&Send"), QDialogButtonBox::AcceptRole);
    send_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, report.isEmpty() ? 160 : 420);
}

bool SendPreviewDialog::verifyAfterSending() const {
    return verify_->isChecked();
}

void SendPreviewDialog::setVerifyAfterSending(bool verify) {
    verify_->setChecked(verify);
}

}  // namespace bv3::editor
