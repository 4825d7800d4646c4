#include "user_prompts.h"

#include "reorder_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QVBoxLayout>

namespace bv3::editor {

UnsavedChoice DialogPrompts::askUnsavedChanges(const QString& documentName) {
    const auto answer = QMessageBox::warning(
        parent_, QObject::tr("Unsaved changes"),
        QObject::tr("The channel list \"%1\" has changes that are not saved.\nSave them first?").arg(documentName),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    switch (answer) {
    case QMessageBox::Save:
        return UnsavedChoice::Save;
    case QMessageBox::Discard:
        return UnsavedChoice::Discard;
    default:
        return UnsavedChoice::Cancel;
    }
}

void DialogPrompts::showError(const QString& title, const QString& text) {
    QMessageBox::critical(parent_, title, text);
}

void DialogPrompts::showInformation(const QString& title, const QString& text) {
    QMessageBox::information(parent_, title, text);
}

bool DialogPrompts::confirm(const QString& title, const QString& text) {
    return QMessageBox::question(parent_, title, text) == QMessageBox::Yes;
}

QString DialogPrompts::openFileName(const QString& title, const QString& directory, const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, title, directory, filter);
}

QString DialogPrompts::saveFileName(const QString& title, const QString& proposed, const QString& filter,
                                    QString* selectedFilter) {
    return QFileDialog::getSaveFileName(parent_, title, proposed, filter, selectedFilter);
}

std::optional<ImageKind> DialogPrompts::askImageKind(const QString& path, ImageKind proposed) {
    return askKind(QObject::tr("Open receiver image"),
                   QObject::tr("\"%1\" is a receiver memory image. It does not say which receiver it "
                               "comes from: choose the model and the configuration variant.")
                       .arg(QFileInfo(path).fileName()),
                   proposed);
}

std::optional<ImageKind> DialogPrompts::askListKind(const QString& documentName, ImageKind current) {
    return askKind(QObject::tr("Model and variant of this list"),
                   QObject::tr("The receiver model \"%1\" is checked against and sent to, and the configuration "
                               "variant of its download image. The settings give only what new lists start with.")
                       .arg(documentName),
                   current);
}

std::optional<ImageKind> DialogPrompts::askKind(const QString& title, const QString& message, ImageKind proposed) {
    QDialog dialog(parent_);
    dialog.setWindowTitle(title);
    auto* text = new QLabel(message);
    text->setWordWrap(true);
    auto* model = new QSpinBox;
    model->setRange(0, 5);
    model->setValue(proposed.modelCode);
    model->setToolTip(QObject::tr("The receiver model (0..5)"));
    auto* variant = new QSpinBox;
    variant->setRange(0, 255);
    variant->setValue(proposed.configVariant);
    variant->setToolTip(QObject::tr("The configuration variant of the receiver's settings area"));
    auto* form = new QFormLayout;
    form->addRow(QObject::tr("&Model:"), model);
    form->addRow(QObject::tr("&Variant:"), variant);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return ImageKind{static_cast<std::uint8_t>(model->value()), static_cast<std::uint8_t>(variant->value())};
}

std::optional<QString> DialogPrompts::askText(const QString& title, const QString& label, const QString& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, title, label, QLineEdit::Normal, initial, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

std::optional<int> DialogPrompts::askChoice(const QString& title, const QString& label, const QStringList& items,
                                           int current) {
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent_, title, label, items, current, false, &ok);
    if (!ok) {
        return std::nullopt;
    }
    const auto index = items.indexOf(chosen);
    return index < 0 ? std::nullopt : std::optional<int>(static_cast<int>(index));
}

std::optional<ReorderChoice> DialogPrompts::askReorder(const QString& referenceName, ReorderChoice proposed) {
    ReorderDialog dialog(referenceName, proposed, parent_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.choice();
}

}  // namespace bv3::editor
