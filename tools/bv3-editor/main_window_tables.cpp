// What the views ask for: drops, renames and cell edits, the providers' and networks' rows,
// the favourites and the receiver's menu values; and going to a finding's row.

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

void MainWindow::moveDropped(ServiceKind kind, const QList<std::size_t>& rows, int position) {
    if (!controller_.hasDocument() || rows.isEmpty() || position < 0) {
        return;
    }
    if (currentKind() != kind) {
        showTab(kind == ServiceKind::Video ? EditorTab::Video : EditorTab::Audio);
    }
    const std::vector<std::size_t> dragged(rows.begin(), rows.end());
    std::vector<std::size_t> moved;
    if (apply([&](edit::ChannelList&) { moved = controller_.drop(groupOf(kind), dragged, static_cast<std::size_t>(position)); },
              false)) {
        showServices(kind, moved);
    }
}

void MainWindow::editField(edit::RecordType type, const std::vector<std::size_t>& rows, std::size_t field,
                           const QString& text) {
    if (!controller_.hasDocument() || rows.empty()) {
        return;
    }
    const bool services = type == edit::RecordType::Service;
    const bool name = edit::recordFields(type)[field].form == edit::FieldForm::Text;
    apply(
        [&](edit::ChannelList&) {
            // A name takes the receiver's characters; one it cannot hold is refused with the rest.
            controller_.setCell(type, rows, field,
                                name ? edit::receiverTextFromUtf8(text.toStdString()) : text.toStdString());
        },
        services);
}

void MainWindow::addProvider() {
    if (!controller_.hasDocument()) {
        return;
    }
    const auto name = prompts_->askText(tr("Add provider"), tr("Name of the new provider:"), QString());
    if (name && !name->trimmed().isEmpty()) {
        apply([&](edit::ChannelList& list) { edit::addProvider(list, edit::receiverTextFromUtf8(name->toStdString())); }, false);
        showTab(EditorTab::Providers);
    }
}

// Deletes the current row of the Providers or Networks tab. The rows that refer to it go to
// another row, chosen by name; the prompt names what is deleted and how many refer to it.
void MainWindow::deleteTableRow(edit::RecordType type) {
    if (!controller_.hasDocument()) {
        return;
    }
    const bool provider = type == edit::RecordType::Provider;
    auto* view = findChild<QTableView*>(provider ? "providerTable" : "networkTable");
    const QModelIndex current = view->currentIndex();
    if (!current.isValid()) {
        return;
    }
    const edit::ChannelList& list = controller_.document();
    const auto row = static_cast<std::size_t>(current.row());
    const std::size_t nameField = edit::fieldIndex(type, provider ? "provName" : "netName");
    const QString name = qs(edit::textOf(list.database(), type, row, nameField));
    const QString title = provider ? tr("Delete provider") : tr("Delete network");
    const std::size_t users = provider ? edit::providerUsers(list, row) : edit::networkUsers(list, row);
    std::optional<std::size_t> takeOver;
    if (users > 0) {
        QStringList names;
        std::vector<std::size_t> rows;
        for (std::size_t r = 0; r < edit::recordRows(list.database(), type); ++r) {
            if (r != row) {
                names << QStringLiteral("%1: %2").arg(r).arg(qs(edit::textOf(list.database(), type, r, nameField)));
                rows.push_back(r);
            }
        }
        if (names.isEmpty()) {
            prompts_->showError(title, tr("\"%1\" is the only one, and %2 refer to it: nothing could take them over.")
                                           .arg(name, provider ? counted(users, tr("service"), tr("services"))
                                                               : counted(users, tr("transport stream"), tr("transport streams"))));
            return;
        }
        const bool one = users == 1;
        const QString label =
            provider ? tr("Delete the provider \"%1\"? %2 %3 it; which provider takes %4 over?")
                           .arg(name, counted(users, tr("service"), tr("services")), one ? tr("names") : tr("name"),
                                one ? tr("it") : tr("them"))
                     : tr("Delete the network \"%1\"? %2 %3 on it; which network takes %4 over?")
                           .arg(name, counted(users, tr("transport stream"), tr("transport streams")),
                                one ? tr("is") : tr("are"), one ? tr("it") : tr("them"));
        const auto chosen = prompts_->askChoice(title, label, names, 0);
        if (!chosen) {
            return;
        }
        takeOver = rows[static_cast<std::size_t>(*chosen)];
    } else if (!prompts_->confirm(title, provider ? tr("Delete the provider \"%1\"? No service names it.").arg(name)
                                                  : tr("Delete the network \"%1\"? No transport stream is on it.").arg(name))) {
        return;
    }
    apply(
        [&](edit::ChannelList& doc) {
            provider ? edit::deleteProvider(doc, row, takeOver) : edit::deleteNetwork(doc, row, takeOver);
        },
        false);
}

// Sets the provider or TS of every selected service, chosen by name, as one step.
void MainWindow::setOnSelection(std::string_view fieldId) {
    const auto rows = selectedServiceRows();
    const auto kind = currentKind();
    if (!controller_.hasDocument() || rows.empty() || !kind) {
        return;
    }
    const bool provider = fieldId == "providerIndex";
    const QModelIndex first = serviceProxy(*kind)->index(0, provider ? ServiceTableModel::Provider
                                                                     : ServiceTableModel::TransportStream);
    const QStringList names = first.data(ServiceTableModel::choicesRole).toStringList();
    const QString title = provider ? tr("Set provider") : tr("Set TS");
    if (names.isEmpty()) {
        prompts_->showError(title, provider ? tr("The list has no providers.") : tr("The list has no transport streams."));
        return;
    }
    const std::size_t field = edit::fieldIndex(edit::RecordType::Service, fieldId);
    const auto current = edit::numberOf(controller_.document().database(), edit::RecordType::Service, rows.front(), field);
    const auto chosen = prompts_->askChoice(
        title,
        (provider ? tr("The provider of the %1:") : tr("The transport stream of the %1:"))
            .arg(counted(rows.size(), tr("selected service"), tr("selected services"))),
        names, static_cast<int>(std::min<std::uint64_t>(current, static_cast<std::uint64_t>(names.size() - 1))));
    if (chosen) {
        editField(edit::RecordType::Service, rows, field, QString::number(*chosen));
    }
}

void MainWindow::addFavourites(int group, int list, int position) {
    if (!controller_.hasDocument()) {
        return;
    }
    // The services come from the tab of the favourite group's kind.
    const ServiceKind kind = group == 0 ? ServiceKind::Video : ServiceKind::Audio;
    QTableView* view = serviceView(kind);
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) {
        rows.push_back(serviceModel(kind)->absoluteRow(serviceProxy(kind)->mapToSource(index).row()));
    }
    std::sort(rows.begin(), rows.end());
    if (rows.empty()) {
        prompts_->showInformation(tr("Add favourites"),
                                  tr("Select the services to add in the %1 tab first.").arg(group == 0 ? tr("Video") : tr("Audio")));
        return;
    }
    std::vector<std::size_t> added;
    const bool done = apply(
        [&](edit::ChannelList&) {
            added = controller_.addFavourites(static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(list), rows,
                                              static_cast<std::size_t>(position));
        },
        false);
    if (done) {
        favourites_->selectPositions(QList<int>(added.begin(), added.end()));
    }
}

void MainWindow::removeFavourites(int group, int list, const QList<int>& positions) {
    std::vector<std::size_t> indices(positions.begin(), positions.end());
    apply([&](edit::ChannelList& doc) {
        edit::removeFavourites(doc, static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(list), indices);
    }, false);
}

void MainWindow::setMenuValue(int n, qlonglong value) {
    if (!controller_.hasDocument() || edit::menuValue(controller_.document().database().menu, n) == value) {
        return;
    }
    apply(
        [&](edit::ChannelList& list) {
            if (n == menuTimeValue) {
                edit::setMenuTime(list, {false, static_cast<int>(value / 100), static_cast<int>(value % 100)});
            } else {
                edit::setMenuValue(list, n, value);
            }
        },
        false);
}

void MainWindow::jumpTo(const FindingTarget& target) {
    if (!controller_.hasDocument()) {
        return;
    }
    switch (target.table) {
    case FindingTarget::Table::Service: {
        const auto row = static_cast<std::size_t>(target.row);
        const bool video = row < controller_.document().database().videoCount;
        const ServiceKind kind = video ? ServiceKind::Video : ServiceKind::Audio;
        filter_->clear();
        showTab(video ? EditorTab::Video : EditorTab::Audio);
        selectServices(kind, {static_cast<int>(video ? row : row - controller_.document().database().videoCount)});
        serviceView(kind)->setFocus();
        break;
    }
    case FindingTarget::Table::Favourite:
        showTab(EditorTab::Favourites);
        favourites_->groupBox()->setCurrentIndex(target.group);
        favourites_->listBox()->setCurrentIndex(target.list);
        favourites_->selectPositions({target.row});
        break;
    case FindingTarget::Table::Provider:
    case FindingTarget::Table::Network:
    case FindingTarget::Table::TransportStream: {
        const EditorTab tab = target.table == FindingTarget::Table::Provider  ? EditorTab::Providers
                              : target.table == FindingTarget::Table::Network ? EditorTab::Networks
                                                                              : EditorTab::TransportStreams;
        showTab(tab);
        auto* view = static_cast<QTableView*>(tabs_->currentWidget());
        view->selectRow(target.row);
        view->setFocus();
        break;
    }
    case FindingTarget::Table::Menu:
        showTab(EditorTab::Settings);
        break;
    case FindingTarget::Table::None:
        break;
    }
}

}  // namespace bv3::editor
