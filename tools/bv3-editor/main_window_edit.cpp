// The Edit menu on the service tabs: undo and redo, cut and paste, delete, rename, moves,
// sorts, renumbering, duplicates and reorder like a reference; and the selection they keep.

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

std::vector<std::size_t> MainWindow::selectedServiceRows() const {
    const auto kind = currentKind();
    if (!kind || !controller_.hasDocument()) {
        return {};
    }
    QTableView* view = serviceView(*kind);
    QSortFilterProxyModel* proxy = serviceProxy(*kind);
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) {
        rows.push_back(serviceModel(*kind)->absoluteRow(proxy->mapToSource(index).row()));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void MainWindow::selectServices(ServiceKind kind, const QList<int>& positions) {
    QTableView* view = serviceView(kind);
    QSortFilterProxyModel* proxy = serviceProxy(kind);
    ServiceTableModel* model = serviceModel(kind);
    QList<int> shown;
    for (int p : positions) {
        const QModelIndex index = proxy->mapFromSource(model->index(p, 0));
        if (index.isValid()) {  // else filtered out
            shown.append(index.row());
        }
    }
    std::sort(shown.begin(), shown.end());
    // Neighbouring rows as one range: a moved block is one range, not a hundred.
    QItemSelection selection;
    for (qsizetype i = 0; i < shown.size();) {
        qsizetype j = i;
        while (j + 1 < shown.size() && shown[j + 1] == shown[j] + 1) {
            ++j;
        }
        selection.select(proxy->index(shown[i], 0), proxy->index(shown[j], ServiceTableModel::ColumnCount - 1));
        i = j + 1;
    }
    const QModelIndex first = shown.isEmpty() ? QModelIndex() : proxy->index(shown.front(), 0);
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (first.isValid()) {
        view->selectionModel()->setCurrentIndex(first.siblingAtColumn(ServiceTableModel::Name), QItemSelectionModel::NoUpdate);
        view->scrollTo(first);
    }
}

bool MainWindow::apply(const std::function<void(edit::ChannelList&)>& operation, bool keepSelection) {
    if (!controller_.hasDocument()) {
        return false;
    }
    const auto kind = currentKind();
    if (keepSelection && kind) {
        controller_.select(selectedServiceRows());
    }
    try {
        operation(controller_.document());
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Edit"), QString::fromLocal8Bit(failure.what()));
        return false;
    }
    if (keepSelection && kind) {
        showServices(*kind, controller_.selectedRows());
    }
    updateActions();
    return true;
}

// Selects the services at absolute rows in the tab of kind (rows of the other kind are left out).
void MainWindow::showServices(ServiceKind kind, const std::vector<std::size_t>& rows) {
    QList<int> positions;
    const std::size_t first = serviceModel(kind)->firstRow();
    const auto count = static_cast<std::size_t>(serviceModel(kind)->rowCount());
    for (const std::size_t row : rows) {
        if (row >= first && row < first + count) {
            positions.append(static_cast<int>(row - first));
        }
    }
    selectServices(kind, positions);
}

void MainWindow::undo() {
    stepThroughHistory(true);
}

void MainWindow::redo() {
    stepThroughHistory(false);
}

void MainWindow::stepThroughHistory(bool back) {
    if (!controller_.hasDocument()) {
        return;
    }
    const edit::ServiceSnapshot before = edit::snapshotServices(controller_.document());
    if (!apply([back](edit::ChannelList& list) { back ? list.undo() : list.redo(); })) {
        return;
    }
    // Show what the step changed: the services it moved, changed or brought back.
    const auto changed = edit::changedServiceRows(before, controller_.document());
    if (changed.empty()) {
        return;
    }
    const auto kind = currentKind();
    if (!kind) {
        return;  // the step of another table: its own tab shows it
    }
    const std::size_t videoCount = controller_.document().database().videoCount;
    const bool anyVideo = changed.front() < videoCount;
    const bool anyAudio = changed.back() >= videoCount;
    ServiceKind shown = *kind;
    if ((shown == ServiceKind::Video && !anyVideo) || (shown == ServiceKind::Audio && !anyAudio)) {
        shown = anyVideo ? ServiceKind::Video : ServiceKind::Audio;
    }
    showTab(shown == ServiceKind::Video ? EditorTab::Video : EditorTab::Audio);
    QList<int> positions;
    const std::size_t first = serviceModel(shown)->firstRow();
    for (const std::size_t row : changed) {
        if ((row < videoCount) == (shown == ServiceKind::Video)) {
            positions.append(static_cast<int>(row - first));
        }
    }
    selectServices(shown, positions);
}

void MainWindow::cutRows() {
    const std::size_t count = controller_.cut(selectedServiceRows());
    statusBar()->showMessage(
        tr("%1 cut: select a row and paste to move them there").arg(counted(count, tr("service"), tr("services"))), 5000);
    updateActions();
}

void MainWindow::pasteRows() {
    const auto kind = currentKind();
    if (!controller_.hasDocument() || !kind || !controller_.hasCut()) {
        return;
    }
    const auto selection = selectedServiceRows();
    const std::size_t first = serviceModel(*kind)->firstRow();
    const std::size_t target = selection.empty() ? static_cast<std::size_t>(serviceModel(*kind)->rowCount())
                                                 : selection.front() - first;
    std::vector<std::size_t> moved;
    if (apply([&](edit::ChannelList&) { moved = controller_.paste(groupOf(*kind), target); }, false)) {
        showServices(*kind, moved);
    }
    updateActions();
}

void MainWindow::deleteRows() {
    // On the Providers and Networks tabs, Delete deletes the current row there.
    if (tabs_->currentIndex() == static_cast<int>(EditorTab::Providers)) {
        deleteTableRow(edit::RecordType::Provider);
        return;
    }
    if (tabs_->currentIndex() == static_cast<int>(EditorTab::Networks)) {
        deleteTableRow(edit::RecordType::Network);
        return;
    }
    const auto rows = selectedServiceRows();
    if (rows.empty()) {
        return;
    }
    const auto kind = currentKind();
    const int next = static_cast<int>(rows.front() - serviceModel(*kind)->firstRow());
    if (apply([&](edit::ChannelList& list) { edit::deleteServices(list, rows); }, false)) {
        const int count = serviceModel(*kind)->rowCount();
        if (count > 0) {
            selectServices(*kind, {std::min(next, count - 1)});
        }
    }
}

// F2: edits the current cell where it can be edited (a channel number, a value, a provider or
// TS, a number of the smaller tables), else the current service's name.
void MainWindow::renameCurrent() {
    auto* view = qobject_cast<QTableView*>(tabs_->currentWidget());
    if (view == nullptr) {
        return;
    }
    QModelIndex current = view->currentIndex();
    if (!current.isValid()) {
        return;
    }
    if (currentKind() && !(current.flags() & Qt::ItemIsEditable)) {
        current = current.siblingAtColumn(ServiceTableModel::Name);
    }
    view->setCurrentIndex(current);
    view->edit(current);
}

void MainWindow::moveRows(Move move) {
    const auto rows = selectedServiceRows();
    if (rows.empty()) {
        return;
    }
    apply([&](edit::ChannelList& list) {
        switch (move) {
        case Move::Up:
            edit::moveServicesUp(list, rows);
            break;
        case Move::Down:
            edit::moveServicesDown(list, rows);
            break;
        case Move::Top:
            edit::moveServicesToTop(list, rows);
            break;
        case Move::Bottom:
            edit::moveServicesToBottom(list, rows);
            break;
        }
    });
    if (const auto kind = currentKind()) {
        serviceView(*kind)->scrollTo(serviceView(*kind)->currentIndex());
    }
}

void MainWindow::sortRows(int key) {
    const auto kind = currentKind();
    if (!controller_.hasDocument() || !kind) {
        return;
    }
    // Several selected rows: sort from the first to the last of them; else the whole tab.
    const auto rows = selectedServiceRows();
    const std::size_t base = serviceModel(*kind)->firstRow();
    std::size_t first = 0;
    std::size_t count = static_cast<std::size_t>(serviceModel(*kind)->rowCount());
    if (rows.size() > 1) {
        first = rows.front() - base;
        count = rows.back() - rows.front() + 1;
    }
    apply([&](edit::ChannelList& list) {
        edit::sortServices(list, groupOf(*kind), first, count, static_cast<edit::ServiceSortKey>(key));
    });
}

void MainWindow::sortByColumn(ServiceKind kind, int column) {
    std::optional<edit::ServiceSortKey> key;
    switch (column) {
    case ServiceTableModel::Name:
        key = edit::ServiceSortKey::Name;
        break;
    case ServiceTableModel::Provider:
        key = edit::ServiceSortKey::Provider;
        break;
    case ServiceTableModel::TransportStream:
        key = edit::ServiceSortKey::Ts;
        break;
    case ServiceTableModel::ChannelNumber:
        key = edit::ServiceSortKey::ChannelNumber;
        break;
    default:
        statusBar()->showMessage(tr("This column does not sort the list; name, provider, TS and number do"), 5000);
        return;
    }
    if (!controller_.hasDocument()) {
        return;
    }
    // The header turns its own indicator on a click; what counts is the sort this window made.
    QHeaderView* header = serviceView(kind)->horizontalHeader();
    const bool descending = header->property("sortedColumn").toInt() == column + 1 &&
                            !header->property("sortedDescending").toBool();
    const auto count = static_cast<std::size_t>(serviceModel(kind)->rowCount());
    if (apply([&](edit::ChannelList& list) { edit::sortServices(list, groupOf(kind), 0, count, *key, descending); })) {
        header->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        header->setSortIndicatorShown(true);
        header->setProperty("sortedColumn", column + 1);
        header->setProperty("sortedDescending", descending);
    }
}

void MainWindow::renumber() {
    if (const auto kind = currentKind()) {
        apply([&](edit::ChannelList& list) { edit::renumberServices(list, groupOf(*kind)); });
    }
}

void MainWindow::selectDuplicates() {
    if (!controller_.hasDocument()) {
        return;
    }
    const auto& db = controller_.document().database();
    const auto groups = edit::findDuplicates(db);
    QList<int> video;
    QList<int> audio;
    for (const auto& group : groups) {
        for (std::size_t i = 1; i < group.rows.size(); ++i) {
            const std::size_t row = group.rows[i];
            (row < db.videoCount ? video : audio).append(static_cast<int>(row < db.videoCount ? row : row - db.videoCount));
        }
    }
    const auto near = edit::findNearDuplicates(db);
    filter_->clear();
    selectServices(ServiceKind::Video, video);
    selectServices(ServiceKind::Audio, audio);
    if (video.isEmpty() && audio.isEmpty()) {
        statusBar()->showMessage(tr("No duplicates; %1 on other transport streams")
                                     .arg(near.size() == 1 ? tr("1 name repeats")
                                                           : tr("%1 names repeat").arg(near.size())),
                                 8000);
        return;
    }
    showTab(video.isEmpty() ? EditorTab::Audio : EditorTab::Video);
    statusBar()->showMessage(tr("Selected %1 duplicate(s) (the first of each is kept): Delete removes them; "
                                "%2 name(s) repeat on other transport streams")
                                 .arg(video.size() + audio.size())
                                 .arg(near.size()),
                             10000);
}

}  // namespace bv3::editor
