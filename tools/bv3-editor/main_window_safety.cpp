// The main window's part in keeping work safe: the recovery copy of the open list, the offer
// to restore one at start, and the question when the list's file changed on the disk. The
// keeping and the noticing are RecoveryKeeper's and DiskChangeGuard's; here they are wired to
// the window's document and its Open, Save and Save As.
#include "disk_change_guard.h"
#include "main_window.h"
#include "recovery_keeper.h"

#include <QDir>
#include <QStatusBar>

namespace bv3::editor {

void MainWindow::setUpSafety() {
    recovery_ = std::make_unique<RecoveryKeeper>(this);
    recovery_->reportFailure = [this](const QString& text) { statusBar()->showMessage(text, 10000); };
    diskChanges_ = new DiskChangeGuard(*this);
    diskChanges_->unsaved = [this] { return controller_.hasDocument() && controller_.document().isDirty(); };
    diskChanges_->reload = [this] { reloadFromDisk(); };
    diskChanges_->overwrite = [this] { save(); };
    diskChanges_->saveAs = [this] { saveAsDialog(); };
}

void MainWindow::watchDocument(const QString& path) {
    recovery_->watch(controller_.document());
    diskChanges_->track(path);
}

bool MainWindow::offerRecovery() {
    return recovery_->offerRestore([this](const edit::RecoveryCopy& copy) { return restoreCopy(copy); });
}

bool MainWindow::restoreCopy(const edit::RecoveryCopy& copy) {
    try {
        edit::ChannelList list = edit::restoreList(copy);
        const bool hasFile = list.origin() == edit::ListOrigin::QnfText || list.origin() == edit::ListOrigin::Container;
        const QString path = hasFile ? QString::fromStdString(list.originPath()) : QString();
        adopt(std::move(list), path);
        recovery_->setSource(copy.source, QString::fromStdString(copy.sourceName));
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Restore"),
                            tr("The recovery copy cannot be restored:\n%1").arg(QString::fromLocal8Bit(failure.what())));
        return false;
    }
    statusBar()->showMessage(tr("Restored the unsaved changes; save the list to keep them"), 10000);
    return true;
}

// The file as it now is on the disk replaces the list shown, unsaved changes and all: the
// person chose it over them.
void MainWindow::reloadFromDisk() {
    const QString path = path_;
    auto list = load(path, std::nullopt);
    if (list) {
        adopt(std::move(*list), path);
        statusBar()->showMessage(tr("Reloaded %1").arg(QDir::toNativeSeparators(path)), 5000);
    }
}

}  // namespace bv3::editor
