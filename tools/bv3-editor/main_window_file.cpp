// The File menu: open (asking what an image is), save, save as, export and print, and the
// question about unsaved changes.

#include "main_window.h"
#include "main_window_support.h"
#include "disk_change_guard.h"

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

std::optional<edit::ChannelList> MainWindow::load(const QString& path, std::optional<ImageKind> given) {
    const ReceiverSettings receiver = receiverSettings();
    const auto remembered = settings_.imageKind(path);
    const std::uint8_t model = remembered ? remembered->modelCode : receiver.modelCode;
    const std::string file = path.toStdString();
    try {
        switch (sniffListFile(path)) {
        case ListFileKind::QnfText:
            return edit::ChannelList::fromQnfFile(file, model);
        case ListFileKind::Container:
            return edit::ChannelList::fromContainerFile(file, model);
        case ListFileKind::RawImage: {
            // A short image is refused before anything is asked about it.
            refuseTruncatedImage(path);
            const auto kind = given ? given
                                    : prompts_->askImageKind(path, remembered.value_or(ImageKind{
                                                                       receiver.modelCode, receiver.configVariant}));
            if (!kind) {
                return std::nullopt;
            }
            auto list = loadImageAsking(tr("Open"), file, kind->configVariant, kind->modelCode);
            if (list) {
                settings_.setImageKind(path, *kind);
            }
            return list;
        }
        }
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Open"), tr("Cannot open \"%1\":\n%2").arg(path, QString::fromLocal8Bit(failure.what())));
    }
    return std::nullopt;
}

// The stored receiver settings; values out of range are told once, then replaced by the
// defaults they fell back to.
ReceiverSettings MainWindow::receiverSettings() {
    QStringList corrections;
    const ReceiverSettings receiver = settings_.receiver(&corrections);
    if (!corrections.isEmpty()) {
        settings_.setReceiver(receiver);
        prompts_->showInformation(tr("Settings"), tr("The stored receiver settings were out of range:\n%1")
                                                      .arg(corrections.join(QStringLiteral("\n"))));
    }
    return receiver;
}

// An image that fails its checks for the model is shown only when the person, told why,
// still wants it: read as the wrong model it loses or invents services.
std::optional<edit::ChannelList> MainWindow::loadImageAsking(const QString& title, const std::string& file,
                                                             std::uint8_t configVariant, std::uint8_t modelCode) {
    try {
        return edit::ChannelList::fromRawImageFile(file, configVariant, modelCode);
    } catch (const channeldb::ImageCheckFailure& failure) {
        if (!prompts_->confirm(title, QString::fromLocal8Bit(failure.what()) + tr("\n\nOpen it anyway?"))) {
            return std::nullopt;
        }
    }
    return edit::ChannelList::fromRawImageFile(file, configVariant, modelCode, edit::ImageCheck::Accept);
}

bool MainWindow::openFile(const QString& path, std::optional<ImageKind> imageKind) {
    if (!maybeKeepChanges()) {
        return false;
    }
    auto list = load(path, imageKind);
    if (!list) {
        if (!QFileInfo::exists(path)) {
            settings_.removeRecentFile(path);
            updateRecentMenu();
        }
        return false;
    }
    const bool raw = list->origin() == edit::ListOrigin::RawImage;
    adopt(std::move(*list), raw ? QString() : path);
    settings_.addRecentFile(path);
    updateRecentMenu();
    statusBar()->showMessage(tr("Opened %1").arg(QDir::toNativeSeparators(path)), 5000);
    return true;
}

bool MainWindow::maybeKeepChanges() {
    if (!controller_.hasDocument() || !controller_.document().isDirty()) {
        return true;
    }
    switch (prompts_->askUnsavedChanges(documentName())) {
    case UnsavedChoice::Save:
        return save();
    case UnsavedChoice::Discard:
        return true;
    case UnsavedChoice::Cancel:
        return false;
    }
    return false;
}

bool MainWindow::save() {
    if (!controller_.hasDocument()) {
        return false;
    }
    // A received list, or a raw image, has no text file to go back to.
    if (path_.isEmpty() || controller_.document().origin() == edit::ListOrigin::RawImage || controller_.document().origin() == edit::ListOrigin::New) {
        QString filter;
        const QString target = prompts_->saveFileName(tr("Save As"), proposedName(),
                                                      tr("Channel list (*.qnf);;Compressed channel list (*.v3q)"), &filter);
        return !target.isEmpty() && saveAs(withFormatSuffix(target, filter));
    }
    return saveAs(path_);
}

bool MainWindow::saveAs(const QString& path) {
    if (!controller_.hasDocument()) {
        return false;
    }
    if (!diskChanges_->mayOverwrite(path)) {
        return false;
    }
    const std::string file = path.toStdString();
    try {
        keepBackup(path);
        const bool compressed = path.endsWith(".v3q", Qt::CaseInsensitive) ||
                                (path == path_ && controller_.document().origin() == edit::ListOrigin::Container);
        if (compressed) {
            controller_.document().saveContainer(file);
        } else {
            controller_.document().saveQnf(file);
        }
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Save"), tr("The list was not saved:\n%1").arg(QString::fromLocal8Bit(failure.what())));
        return false;
    }
    path_ = path;
    diskChanges_->track(path);
    settings_.addRecentFile(path);
    updateRecentMenu();
    updateTitle();
    statusBar()->showMessage(tr("Saved %1").arg(QDir::toNativeSeparators(path)), 5000);
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!maybeKeepChanges()) {
        event->ignore();
        return;
    }
    saveLayout();
    event->accept();
}

void MainWindow::openDialog() {
    const QString path = prompts_->openFileName(
        tr("Open channel list"), QFileInfo(path_).absolutePath(),
        tr("Channel lists (*.qnf *.v3q *.fast *.raw);;Channel list text (*.qnf);;Receiver images (*.raw);;All files (*)"));
    if (!path.isEmpty()) {
        openFile(path);
    }
}

QString MainWindow::proposedName() const {
    if (!path_.isEmpty()) {
        return path_;
    }
    // A received list, or one read from an image, is new: never the name of a file opened before.
    const QString stem = controller_.hasDocument() && controller_.document().origin() == edit::ListOrigin::RawImage ? QStringLiteral("received")
                                                                              : QStringLiteral("channels");
    return QDir(QFileInfo(settings_.recentFiles().value(0)).absolutePath())
        .filePath(stem + QDate::currentDate().toString(QStringLiteral("-yyyy-MM-dd")) + ".qnf");
}

void MainWindow::saveAsDialog() {
    if (!controller_.hasDocument()) {
        return;
    }
    QString filter;
    const QString target = prompts_->saveFileName(tr("Save As"), proposedName(),
                                                  tr("Channel list (*.qnf);;Compressed channel list (*.v3q)"), &filter);
    if (!target.isEmpty()) {
        saveAs(withFormatSuffix(target, filter));
    }
}

void MainWindow::exportCsv() {
    if (!controller_.hasDocument()) {
        return;
    }
    const QString target = prompts_->saveFileName(tr("Export as CSV"), QFileInfo(path_).completeBaseName() + ".csv",
                                                  tr("CSV table (*.csv)"), nullptr);
    if (target.isEmpty()) {
        return;
    }
    try {
        writeTextFile(target, servicesCsv(controller_.document().database()).toUtf8());
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Export"), QString::fromLocal8Bit(failure.what()));
    }
}

void MainWindow::exportHtml() {
    if (!controller_.hasDocument()) {
        return;
    }
    const QString target = prompts_->saveFileName(tr("Export as HTML"), QFileInfo(path_).completeBaseName() + ".html",
                                                  tr("HTML page (*.html)"), nullptr);
    if (target.isEmpty()) {
        return;
    }
    try {
        writeTextFile(target, servicesHtml(controller_.document().database(), documentName()).toUtf8());
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Export"), QString::fromLocal8Bit(failure.what()));
    }
}

void MainWindow::printList() {
    if (!controller_.hasDocument()) {
        return;
    }
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    QTextDocument page;
    page.setHtml(servicesHtml(controller_.document().database(), documentName()));
    page.print(&printer);
}

}  // namespace bv3::editor
