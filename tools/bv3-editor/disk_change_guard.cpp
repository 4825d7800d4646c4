#include "disk_change_guard.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace bv3::editor {

DiskChangeGuard::DiskChangeGuard(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
}

void DiskChangeGuard::track(const QString& path) {
    path_ = path;
    stamp_ = path.isEmpty() ? edit::FileStamp{} : edit::stampFile(path.toStdString());
    putOff_.reset();
}

bool DiskChangeGuard::mayOverwrite(const QString& path) {
    if (path_.isEmpty() || asking_ || QFileInfo(path) != QFileInfo(path_) ||
        edit::fileChangeSince(stamp_, path_.toStdString()) != edit::FileChange::Changed) {
        return true;
    }
    switch (ask()) {
        case DiskChangeChoice::Overwrite:
            return true;
        case DiskChangeChoice::Reload:
            if (reload) {
                reload();
            }
            return false;
        case DiskChangeChoice::SaveAs:
            if (saveAs) {
                saveAs();
            }
            return false;
        case DiskChangeChoice::Cancel:
            return false;
    }
    return false;
}

void DiskChangeGuard::check() {
    if (path_.isEmpty() || asking_ || edit::fileChangeSince(stamp_, path_.toStdString()) != edit::FileChange::Changed) {
        return;
    }
    const edit::FileStamp now = edit::stampFile(path_.toStdString());
    if (putOff_ && putOff_->size == now.size && putOff_->contentHash == now.contentHash) {
        return;
    }
    switch (ask()) {
        case DiskChangeChoice::Reload:
            if (reload) {
                reload();
            }
            break;
        case DiskChangeChoice::Overwrite:
            if (overwrite) {
                overwrite();
            }
            break;
        case DiskChangeChoice::SaveAs:
            if (saveAs) {
                saveAs();
            }
            break;
        case DiskChangeChoice::Cancel:
            putOff_ = now;
            break;
    }
}

DiskChangeChoice DiskChangeGuard::ask() {
    const bool changes = unsaved && unsaved();
    if (answer) {
        return answer(path_, changes);
    }
    // The box activates and deactivates the window: no second question meanwhile.
    asking_ = true;
    QMessageBox box(QMessageBox::Warning, tr("File changed on disk"), questionText(path_, changes), QMessageBox::NoButton,
                    &window_);
    QPushButton* reloadButton = box.addButton(tr("&Reload"), QMessageBox::DestructiveRole);
    QPushButton* overwriteButton = box.addButton(tr("&Overwrite"), QMessageBox::AcceptRole);
    QPushButton* saveAsButton = box.addButton(tr("Save &As..."), QMessageBox::ActionRole);
    box.setDefaultButton(saveAsButton);
    box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    asking_ = false;
    const auto* clicked = box.clickedButton();
    if (clicked == reloadButton) {
        return DiskChangeChoice::Reload;
    }
    if (clicked == overwriteButton) {
        return DiskChangeChoice::Overwrite;
    }
    if (clicked == saveAsButton) {
        return DiskChangeChoice::SaveAs;
    }
    return DiskChangeChoice::Cancel;
}

QString DiskChangeGuard::questionText(const QString& path, bool unsaved) {
    QString text = tr("\"%1\" was changed on the disk by another program since this editor opened or saved it.")
                       .arg(QDir::toNativeSeparators(path));
    text += unsaved ? tr("\n\nReload it (your unsaved changes here are lost), overwrite it with the list shown "
                         "here (the other changes are lost), or save the list shown here under another name?")
                    : tr("\n\nReload it, overwrite it with the list shown here (the other changes are lost), or "
                         "save the list shown here under another name?");
    return text;
}

bool DiskChangeGuard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::WindowActivate) {
        // Asked once the activation is through, not inside it.
        QTimer::singleShot(0, this, &DiskChangeGuard::check);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace bv3::editor
