// The open list in the window: taking a list, following its changes, the findings panel,
// the status bar, the actions' states and the title.

#include "main_window.h"
#include "main_window_support.h"

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

// The services one model's receiver holds: its banks, and never more than a list holds.
std::size_t serviceCapacityOf(std::uint8_t modelCode) {
    return std::min<std::size_t>(channeldb::layoutFor(modelCode).serviceCapacity(), channeldb::serviceCapacity);
}

}  // namespace

QString MainWindow::documentName() const {
    if (!controller_.hasDocument()) {
        return {};
    }
    return path_.isEmpty() ? tr("(received list)") : QFileInfo(path_).fileName();
}

void MainWindow::adopt(edit::ChannelList list, const QString& path) {
    if (controller_.hasDocument()) {
        controller_.document().unsubscribe(listener_);
    }
    controller_.adopt(std::move(list));
    controller_.document().setFavouritesFollowServices(!settings_.receiver().keepFavouriteEntries);
    path_ = path;
    listener_ = controller_.document().subscribe([this](const edit::ListChange& change) { onListChanged(change); });
    watchDocument(path);
    const auto* db = &controller_.document().database();
    video_->setDatabase(db);
    audio_->setDatabase(db);
    providers_->setDatabase(db);
    networks_->setDatabase(db);
    transportStreams_->setDatabase(db);
    antennas_->setDatabase(db);
    favourites_->model()->setDatabase(db);
    menuForm_->setDatabase(db);
    updateFavouriteMarks();
    // A newly opened list starts at its top, whatever the last one showed.
    for (QTableView* view : tables_) {
        view->clearSelection();
        view->scrollToTop();
    }
    updateFindings();
    updateStatus();
    updateActions();
    updateTitle();
}

void MainWindow::onListChanged(const edit::ListChange& change) {
    const edit::TableSet t = change.tables;
    if (t.contains(edit::ListTable::Services)) {
        // The order the header showed may no longer hold; the next sort click starts ascending.
        for (QTableView* view : {videoView_, audioView_}) {
            view->horizontalHeader()->setSortIndicatorShown(false);
            view->horizontalHeader()->setProperty("sortedColumn", 0);
        }
    }
    if (t.contains(edit::ListTable::Services) || t.contains(edit::ListTable::Providers) ||
        t.contains(edit::ListTable::TransportStreams)) {
        video_->refresh();
        audio_->refresh();
    }
    if (t.contains(edit::ListTable::Providers) || t.contains(edit::ListTable::Services)) {
        providers_->refresh();
    }
    if (t.contains(edit::ListTable::Networks) || t.contains(edit::ListTable::TransportStreams)) {
        networks_->refresh();
        transportStreams_->refresh();
    }
    if (t.contains(edit::ListTable::Services) && !t.contains(edit::ListTable::TransportStreams)) {
        transportStreams_->refresh();
    }
    if (t.contains(edit::ListTable::Antennas)) {
        antennas_->refresh();
    }
    if (t.contains(edit::ListTable::Favourites) || t.contains(edit::ListTable::Services)) {
        favourites_->model()->refresh();
        updateFavouriteMarks();
    }
    if (t.contains(edit::ListTable::Menu)) {
        menuForm_->refresh();
    }
    updateFindings();
    updateStatus();
    updateActions();
    updateTitle();
}

void MainWindow::refreshAll() {
    updateFindings();
    updateStatus();
    updateActions();
    updateTitle();
}

void MainWindow::updateFindings() {
    QList<FindingRow> rows;
    QHash<std::size_t, ServiceTableModel::RowMark> marks;
    if (controller_.hasDocument()) {
        for (const edit::ListFinding& f : controller_.document().findings()) {
            const bool error = f.finding.severity == channeldb::Severity::Error;
            rows.append({error, placeText(f.place, qs(f.finding.where)), qs(f.finding.message), targetOf(f.place)});
            if (f.place.table == edit::ListTable::Services) {
                auto& mark = marks[f.place.row];
                mark.error = mark.error || error;
                mark.text += (mark.text.isEmpty() ? QString() : QStringLiteral("\n")) + qs(f.finding.message);
            }
        }
    }
    findings_->setFindings(rows);
    video_->setMarks(marks);
    audio_->setMarks(std::move(marks));
}

// Where a finding is, in the window's own terms: the tab and the # the person sees there, with
// the line of the QNF text after it.
QString MainWindow::placeText(const edit::ListPlace& place, const QString& line) const {
    const QString suffix = line.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(line);
    if (!place.table || !controller_.hasDocument()) {
        return line;
    }
    const auto row = static_cast<qsizetype>(place.row);
    switch (*place.table) {
    case edit::ListTable::Services: {
        const qsizetype videoCount = controller_.document().database().videoCount;
        return (row < videoCount ? tr("Video #%1").arg(row + 1) : tr("Audio #%1").arg(row - videoCount + 1)) + suffix;
    }
    case edit::ListTable::Favourites:
        return tr("%1, List %2, #%3")
                   .arg(place.group == 0 ? tr("Video favourites") : tr("Audio favourites"))
                   .arg(place.list)
                   .arg(row + 1) +
               suffix;
    case edit::ListTable::Providers:
        return tr("Providers, row %1").arg(row) + suffix;
    case edit::ListTable::Networks:
        return tr("Networks, row %1").arg(row) + suffix;
    case edit::ListTable::TransportStreams:
        return tr("TS, row %1").arg(row) + suffix;
    case edit::ListTable::Antennas:
        return tr("Antennas, position %1").arg(row) + suffix;
    case edit::ListTable::Menu:
        return tr("Receiver settings") + suffix;
    }
    return line;
}

void MainWindow::updateStatus() {
    if (!controller_.hasDocument()) {
        counts_->setText(tr("No list open"));
        return;
    }
    const auto& db = controller_.document().database();
    // Each list has its own slots on the receiver: one total would hide a full video list.
    const auto perList = std::min<std::size_t>(channeldb::layoutFor(controller_.document().modelCode()).listSlots,
                                             channeldb::serviceCapacity);
    counts_->setText(tr("model %1: video %2 of %3, audio %4 of %3, %5 of %6 services; %7, %8")
                         .arg(controller_.document().modelCode())
                         .arg(db.videoCount)
                         .arg(perList)
                         .arg(db.audioCount)
                         .arg(db.serviceCount())
                         .arg(serviceCapacityOf(controller_.document().modelCode()))
                         .arg(counted(findings_->errorCount(), tr("error"), tr("errors")),
                              counted(findings_->warningCount(), tr("warning"), tr("warnings"))));
}

void MainWindow::updateActions() {
    const bool open = controller_.hasDocument();
    const bool services = open && currentKind().has_value();
    const bool selected = services && !selectedServiceRows().empty();
    for (const char* name : {"save", "saveAs", "exportCsv", "exportHtml", "print", "send", "listKind", "selectDuplicates",
                             "reorder", "addProvider"}) {
        action(name)->setEnabled(open);
    }
    action("undo")->setEnabled(open && controller_.document().canUndo());
    action("redo")->setEnabled(open && controller_.document().canRedo());
    action("undo")->setText(open && controller_.document().canUndo() ? tr("&Undo %1").arg(qs(controller_.document().undoText())) : tr("&Undo"));
    action("redo")->setText(open && controller_.document().canRedo() ? tr("&Redo %1").arg(qs(controller_.document().redoText())) : tr("&Redo"));
    for (const char* name : {"cut", "delete", "rename", "moveUp", "moveDown", "moveTop", "moveBottom"}) {
        action(name)->setEnabled(selected);
    }
    action("paste")->setEnabled(services && controller_.hasCut());
    action("renumber")->setEnabled(services);
    const bool providers = open && tabs_->currentIndex() == static_cast<int>(EditorTab::Providers);
    const bool networks = open && tabs_->currentIndex() == static_cast<int>(EditorTab::Networks);
    action("deleteProvider")->setEnabled(providers);
    action("deleteNetwork")->setEnabled(networks);
    action("delete")->setEnabled(selected || providers || networks);
    action("delete")->setToolTip(providers  ? tr("Delete the selected provider (Del)")
                                 : networks ? tr("Delete the selected network (Del)")
                                            : tr("Delete the selected services (Del)"));
    action("rename")->setEnabled(selected || (open && !services && qobject_cast<QTableView*>(tabs_->currentWidget())));
    action("setProvider")->setEnabled(selected);
    action("setTs")->setEnabled(selected);
    for (QAction* a : actions()) {
        if (a->objectName().startsWith("sort")) {
            a->setEnabled(services);
        }
    }
}

void MainWindow::updateTitle() {
    setWindowTitle(controller_.hasDocument() ? tr("%1[*] - BV3 channel editor").arg(documentName()) : tr("BV3 channel editor"));
    setWindowModified(controller_.hasDocument() && controller_.document().isDirty());
}

void MainWindow::updateRecentMenu() {
    recentMenu_->clear();
    const QStringList files = settings_.recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString& file = files[i];
        auto* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(file).fileName()));
        a->setToolTip(QDir::toNativeSeparators(file));
        connect(a, &QAction::triggered, this, [this, file] { openFile(file); });
    }
    recentMenu_->setEnabled(!files.isEmpty());
}

}  // namespace bv3::editor
