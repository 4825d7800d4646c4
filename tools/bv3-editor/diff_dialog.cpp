#include "diff_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace bv3::editor {

DiffDialog::DiffDialog(const QString& title, const QString& headline, const QString& report, QWidget* parent)
    : QDialog(parent), headline_(new QLabel(headline)), report_(new QPlainTextEdit(report)) {
    setWindowTitle(title);
    setObjectName("diffDialog");
    headline_->setWordWrap(true);
    report_->setReadOnly(true);
    report_->setObjectName("diffReport");
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(headline_);
    layout->addWidget(report_, 1);
    layout->addWidget(buttons);
    resize(640, 400);
}

QString DiffDialog::headline() const {
    return headline_->text();
}

QString DiffDialog::report() const {
    return report_->toPlainText();
}

}  // namespace bv3::editor
