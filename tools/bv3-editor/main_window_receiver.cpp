// The Receiver menu: settings, receive and send with the guard before the port opens.

#include "main_window.h"
#include "main_window_support.h"
#include "recovery_keeper.h"

#include "document_files.h"
#include "favourites_view.h"
#include "list_export.h"
#include "menu_settings_form.h"
#include "list_comparisons.h"
#include "receiver_link.h"
#include "record_table_model.h"
#include "settings_dialog.h"

#include "channeldb/conversion_error.h"
#include "channeldb/layout.h"
#include "edit/receiver_text.h"
#include "edit/changed_services.h"
#include "edit/duplicates.h"
#include "edit/edit_error.h"
#include "edit/favourite_operations.h"
#include "edit/menu_operations.h"
#include "edit/reference_order.h"
#include "edit/service_operations.h"
#include "edit/table_operations.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolBar>

#include <algorithm>
#include <limits>
#include <type_traits>
#include <set>

namespace bv3::editor {

namespace {

// A transfer that did not happen: one message when something failed (the dialog's own boxes
// were held back), and the status bar saying so whatever the cause.
void reportNotDone(UserPrompts& prompts, QStatusBar& status, const QString& title, const QString& notDone,
                   const QString& port, const TransferOutcome& outcome) {
    if (outcome.portUnopened) {
        status.showMessage(QObject::tr("%1: the port %2 could not be opened").arg(notDone, port), 10000);
        QString reason = outcome.failure;
        if (!reason.isEmpty()) {
            reason[0] = reason[0].toUpper();
        }
        prompts.showError(title, QObject::tr("%1: the port could not be opened.\n\n%2").arg(notDone, reason));
    } else if (!outcome.failure.isEmpty()) {
        status.showMessage(QObject::tr("%1: the transfer failed").arg(notDone), 10000);
        prompts.showError(title, QObject::tr("%1:\n%2").arg(notDone, outcome.failure));
    } else {
        status.showMessage(QObject::tr("%1: cancelled").arg(notDone), 5000);
    }
}

}  // namespace

void MainWindow::showSettings() {
    SettingsDialog dialog(receiverSettings(), availablePorts(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    settings_.setReceiver(dialog.settings());
    // The model and variant are the open list's own: the settings are what new lists start
    // with, and changing them leaves the open list as it is.
    if (controller_.hasDocument()) {
        controller_.document().setFavouritesFollowServices(!dialog.settings().keepFavouriteEntries);
        if (controller_.document().modelCode() != dialog.settings().modelCode) {
            statusBar()->showMessage(tr("The open list stays on model %1; Receiver > Model and variant of this list "
                                        "changes it")
                                         .arg(controller_.document().modelCode()),
                                     8000);
        }
    }
}

void MainWindow::chooseListKind() {
    if (!controller_.hasDocument()) {
        return;
    }
    edit::ChannelList& list = controller_.document();
    const ImageKind current{list.modelCode(), list.configVariant().value_or(receiverSettings().configVariant)};
    const auto kind = prompts_->askListKind(documentName(), current);
    if (!kind) {
        return;
    }
    try {
        list.setConfigVariant(kind->configVariant);
        setModelCode(kind->modelCode);
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Model and variant"), QString::fromLocal8Bit(failure.what()));
    }
}

void MainWindow::setModelCode(std::uint8_t modelCode) {
    if (controller_.hasDocument() && controller_.document().modelCode() != modelCode) {
        controller_.document().setModelCode(modelCode);
    }
}

void MainWindow::receive() {
    if (!maybeKeepChanges()) {
        return;
    }
    const ReceiverSettings receiver = receiverSettings();
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        prompts_->showError(tr("Receive"), tr("Cannot create a scratch folder: %1").arg(scratch.errorString()));
        return;
    }
    const QString image = scratch.filePath("upload.raw");
    const TransferOutcome outcome = link_->receive(receiver, image);
    if (!outcome.completed) {
        reportNotDone(*prompts_, *statusBar(), tr("Receive"), tr("Nothing was received"), receiver.port, outcome);
        return;
    }
    try {
        auto list = loadImageAsking(tr("Receive"), image.toStdString(), receiver.configVariant, receiver.modelCode);
        if (!list) {
            return;
        }
        adopt(std::move(*list), QString());
        recovery_->setSource(edit::RecoverySource::Receiver, receiver.port);
        comparisons_->received(controller_.document());
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Receive"), tr("The received image cannot be read:\n%1").arg(QString::fromLocal8Bit(failure.what())));
        return;
    }
    statusBar()->showMessage(tr("Received the list from the receiver"), 5000);
}

void MainWindow::send() {
    if (!controller_.hasDocument()) {
        return;
    }
    // The receiver would refuse or misread a list with an error: never open the port for it.
    const auto check = controller_.checkBeforeSend();
    if (check.error) {
        jumpTo(targetOf(check.error->place));
        prompts_->showError(tr("Send"), tr("The list cannot be sent while an error stands:\n%1")
                                            .arg(qs(channeldb::formatFinding(check.error->finding))));
        return;
    }
    // A warning (a favourite that now names another service, a name the receiver cuts) is
    // asked about once, listing them, before anything goes to the receiver.
    QStringList warnings;
    for (const edit::ListFinding& f : check.warnings) {
        warnings << qs(channeldb::formatFinding(f.finding));
    }
    if (!warnings.isEmpty()) {
        const qsizetype shown = std::min<qsizetype>(warnings.size(), 10);
        QString text = tr("The list holds %1:\n\n%2").arg(counted(static_cast<int>(warnings.size()), tr("warning"), tr("warnings")),
                                                          QStringList(warnings.mid(0, shown)).join('\n'));
        if (shown < warnings.size()) {
            text += tr("\n... and %1 more (see the Findings panel)").arg(warnings.size() - shown);
        }
        if (!prompts_->confirm(tr("Send"), text + tr("\n\nSend it to the receiver as it is?"))) {
            statusBar()->showMessage(tr("Not sent"), 5000);
            return;
        }
    }
    // What the send will change on the receiver, before the port opens.
    const std::optional<bool> verify = comparisons_->reviewSend(controller_.document());
    if (!verify) {
        return;
    }
    ReceiverSettings receiver = receiverSettings();
    receiver.modelCode = controller_.document().modelCode();
    receiver.configVariant = controller_.document().configVariant().value_or(receiver.configVariant);
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        prompts_->showError(tr("Send"), tr("Cannot create a scratch folder: %1").arg(scratch.errorString()));
        return;
    }
    const QString image = scratch.filePath("download.qdf");
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        buildDownloadImage(controller_.document().database(), documentName().toStdString(), receiver, image);
        QApplication::restoreOverrideCursor();
    } catch (const std::exception& failure) {
        QApplication::restoreOverrideCursor();
        prompts_->showError(tr("Send"), tr("The download image was not built:\n%1").arg(QString::fromLocal8Bit(failure.what())));
        return;
    }
    const TransferOutcome outcome = link_->send(receiver, image);
    if (outcome.completed) {
        statusBar()->showMessage(tr("Sent the list to the receiver"), 5000);
        comparisons_->sent(*verify, receiver, controller_.document());
    } else {
        reportNotDone(*prompts_, *statusBar(), tr("Send"), tr("The list was not sent"), receiver.port, outcome);
    }
}

}  // namespace bv3::editor
