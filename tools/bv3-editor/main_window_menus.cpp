// The window's actions, their keys and the menus and tool bar that hold them.

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

void MainWindow::buildActions() {
    struct ActionEntry {
        const char* name;
        const char* text;
        const char* tip;
        QKeySequence keys;
        void (MainWindow::*slot)();
        QStyle::StandardPixmap icon;
    };
    const QKeySequence none;
    const ActionEntry entries[] = {
        {"open", "&Open...", "Open a channel list, a compressed list or a receiver image", QKeySequence::Open,
         &MainWindow::openDialog, QStyle::SP_DialogOpenButton},
        {"save", "&Save", "Save the list (the previous file is kept as .bak)", QKeySequence::Save,
         nullptr, QStyle::SP_DialogSaveButton},
        {"saveAs", "Save &As...", "Save the list under another name, as text or compressed", QKeySequence::SaveAs,
         &MainWindow::saveAsDialog, QStyle::SP_CustomBase},
        {"exportCsv", "Export as &CSV...", "Write the services as a table for a spreadsheet", none,
         &MainWindow::exportCsv, QStyle::SP_CustomBase},
        {"exportHtml", "Export as &HTML...", "Write a printable list of the services", none, &MainWindow::exportHtml,
         QStyle::SP_CustomBase},
        {"print", "&Print...", "Print the list of services", QKeySequence::Print, &MainWindow::printList,
         QStyle::SP_CustomBase},
        {"quit", "&Quit", "Close the editor (asks about unsaved changes)", QKeySequence::Quit,
         nullptr, QStyle::SP_CustomBase},
        {"receive", "&Receive", "Read the list from the receiver over the serial line", QKeySequence(Qt::CTRL | Qt::Key_R),
         &MainWindow::receive, QStyle::SP_ArrowDown},
        {"send", "Sen&d", "Check the list, build the download image and send it to the receiver",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), &MainWindow::send, QStyle::SP_ArrowUp},
        {"settings", "S&ettings...", "Port, rate, header ID, encoder, and the model and variant new lists start with",
         none, &MainWindow::showSettings, QStyle::SP_CustomBase},
        {"listKind", "&Model and variant of this list...",
         "The receiver model the open list is checked against and sent to, and its configuration variant", none,
         &MainWindow::chooseListKind, QStyle::SP_CustomBase},
        {"undo", "&Undo", "Take back the last change", QKeySequence::Undo, &MainWindow::undo, QStyle::SP_ArrowBack},
        {"redo", "&Redo", "Do the undone change again", QKeySequence::Redo, &MainWindow::redo, QStyle::SP_ArrowForward},
        {"cut", "Cu&t", "Mark the selected services to move them (paste puts them at the selected row)",
         QKeySequence::Cut, &MainWindow::cutRows, QStyle::SP_CustomBase},
        {"paste", "&Paste", "Move the cut services to the selected row", QKeySequence::Paste, &MainWindow::pasteRows,
         QStyle::SP_CustomBase},
        {"delete", "&Delete", "Delete the selected services", QKeySequence::Delete, &MainWindow::deleteRows,
         QStyle::SP_TrashIcon},
        {"rename", "Re&name", "Rename the current service in place", QKeySequence(Qt::Key_F2),
         &MainWindow::renameCurrent, QStyle::SP_CustomBase},
        {"moveUp", "Move &up", "Move the selected services up by one", QKeySequence(Qt::CTRL | Qt::Key_Up),
         nullptr, QStyle::SP_CustomBase},
        {"moveDown", "Move do&wn", "Move the selected services down by one", QKeySequence(Qt::CTRL | Qt::Key_Down),
         nullptr, QStyle::SP_CustomBase},
        {"moveTop", "Move to t&op", "Move the selected services to the top of the list",
         QKeySequence(Qt::CTRL | Qt::Key_Home), nullptr,
         QStyle::SP_CustomBase},
        {"moveBottom", "Move to &bottom", "Move the selected services to the bottom of the list",
         QKeySequence(Qt::CTRL | Qt::Key_End), nullptr,
         QStyle::SP_CustomBase},
        {"renumber", "Renu&mber", "Number the services of this tab 1, 2, 3... in their order", none,
         &MainWindow::renumber, QStyle::SP_CustomBase},
        {"find", "&Find", "Show only the services whose name, provider or TS holds a text", QKeySequence::Find,
         nullptr, QStyle::SP_FileDialogContentsView},
        {"selectDuplicates", "Select d&uplicates",
         "Select every service that repeats an earlier one (same kind, service words and TS)", none,
         &MainWindow::selectDuplicates, QStyle::SP_CustomBase},
        {"reorder", "Reorder like a re&ference...", "Order the services like another list (after a rescan)", none,
         &MainWindow::reorderLikeReference, QStyle::SP_CustomBase},
        {"addProvider", "Add pro&vider...", "Add a provider at the end of the provider table", none,
         &MainWindow::addProvider, QStyle::SP_CustomBase},
        {"deleteProvider", "Delete provider...", "Delete the selected provider, handing its services to another",
         none, nullptr, QStyle::SP_CustomBase},
        {"deleteNetwork", "Delete network...", "Delete the selected network, handing its transport streams to another",
         none, nullptr, QStyle::SP_CustomBase},
        {"setProvider", "Set provider of the se&lection...", "Give every selected service one provider, chosen by name",
         none, nullptr, QStyle::SP_CustomBase},
        {"setTs", "Set TS of the select&ion...", "Put every selected service on one transport stream, chosen by name",
         none, nullptr, QStyle::SP_CustomBase},
        {"showRaw", "Show ra&w columns", "Show the raw service words and bytes", none, nullptr, QStyle::SP_CustomBase},
    };
    for (const ActionEntry& entry : entries) {
        auto* a = new QAction(tr(entry.text), this);
        a->setObjectName(entry.name);
        a->setToolTip(tr(entry.tip));
        a->setStatusTip(tr(entry.tip));
        if (!entry.keys.isEmpty()) {
            a->setShortcut(entry.keys);
            a->setToolTip(tr(entry.tip) + " (" + entry.keys.toString(QKeySequence::NativeText) + ")");
        }
        if (entry.icon != QStyle::SP_CustomBase) {
            a->setIcon(style()->standardIcon(entry.icon));
        }
        if (entry.slot != nullptr) {
            connect(a, &QAction::triggered, this, entry.slot);
        }
        addAction(a);
    }
    // Both redo keys people know, whatever the desktop's own convention.
    action("redo")->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // Some desktops give Save As no key at all; Ctrl+Shift+S is what people press.
    action("saveAs")->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    // The toolbar keeps short words, so the find box beside it keeps its width whatever the
    // step to undo is called.
    action("undo")->setIconText(tr("Undo"));
    action("redo")->setIconText(tr("Redo"));
    // Tabs by keyboard from anywhere in the window, the table included.
    auto* nextTab = new QAction(tr("Next tab"), this);
    nextTab->setObjectName("nextTab");
    nextTab->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
    connect(nextTab, &QAction::triggered, this,
            [this] { tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % tabs_->count()); });
    auto* previousTab = new QAction(tr("Previous tab"), this);
    previousTab->setObjectName("previousTab");
    previousTab->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
    connect(previousTab, &QAction::triggered, this,
            [this] { tabs_->setCurrentIndex((tabs_->currentIndex() + tabs_->count() - 1) % tabs_->count()); });
    addAction(nextTab);
    addAction(previousTab);
    connect(action("save"), &QAction::triggered, this, [this] { save(); });
    connect(action("deleteProvider"), &QAction::triggered, this, [this] { deleteTableRow(edit::RecordType::Provider); });
    connect(action("deleteNetwork"), &QAction::triggered, this, [this] { deleteTableRow(edit::RecordType::Network); });
    connect(action("setProvider"), &QAction::triggered, this, [this] { setOnSelection("providerIndex"); });
    connect(action("setTs"), &QAction::triggered, this, [this] { setOnSelection("tsIndex"); });
    connect(action("quit"), &QAction::triggered, this, &QWidget::close);
    connect(action("moveUp"), &QAction::triggered, this, [this] { moveRows(Move::Up); });
    connect(action("moveDown"), &QAction::triggered, this, [this] { moveRows(Move::Down); });
    connect(action("moveTop"), &QAction::triggered, this, [this] { moveRows(Move::Top); });
    connect(action("moveBottom"), &QAction::triggered, this, [this] { moveRows(Move::Bottom); });
    connect(action("find"), &QAction::triggered, this, [this] {
        filter_->setFocus();
        filter_->selectAll();
    });
    action("showRaw")->setCheckable(true);
    connect(action("showRaw"), &QAction::toggled, this, [this](bool show) {
        for (QTableView* view : {videoView_, audioView_}) {
            for (int c = ServiceTableModel::FirstRawColumn; c < ServiceTableModel::ColumnCount; ++c) {
                view->setColumnHidden(c, !show);
            }
        }
    });
    // The service tables take Ctrl+Home/End and Delete for themselves; the window's actions
    // must win while a table has the focus.
    for (QAction* a : actions()) {
        a->setShortcutContext(Qt::WindowShortcut);
    }

    filter_ = new QLineEdit;
    filter_->setObjectName("filterField");
    filter_->setPlaceholderText(tr("Find: name, provider or TS"));
    filter_->setClearButtonEnabled(true);
    filter_->setToolTip(tr("Shows only the services that hold this text; the order stays the receiver's (Ctrl+F)"));
    filter_->setFixedWidth(240);
    // Esc clears the find; undo and redo stay the list's, not the find box's own.
    filter_->installEventFilter(this);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        videoProxy_->setFilterFixedString(text);
        audioProxy_->setFilterFixedString(text);
    });
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(action("open"));
    recentMenu_ = file->addMenu(tr("Open &Recent"));
    recentMenu_->setToolTipsVisible(true);
    file->addAction(action("save"));
    file->addAction(action("saveAs"));
    file->addAction(comparisons_->compareAction());
    file->addSeparator();
    file->addAction(action("exportCsv"));
    file->addAction(action("exportHtml"));
    file->addAction(action("print"));
    file->addSeparator();
    file->addAction(action("quit"));

    QMenu* receiver = menuBar()->addMenu(tr("&Receiver"));
    receiver->addAction(action("receive"));
    receiver->addAction(action("send"));
    receiver->addAction(comparisons_->backupsAction());
    receiver->addSeparator();
    receiver->addAction(action("listKind"));
    receiver->addAction(action("settings"));

    QMenu* editMenu = menuBar()->addMenu(tr("&Edit"));
    editMenu->addAction(action("undo"));
    editMenu->addAction(action("redo"));
    editMenu->addSeparator();
    editMenu->addAction(action("cut"));
    editMenu->addAction(action("paste"));
    editMenu->addAction(action("delete"));
    editMenu->addAction(action("rename"));
    editMenu->addSeparator();
    editMenu->addAction(action("moveUp"));
    editMenu->addAction(action("moveDown"));
    editMenu->addAction(action("moveTop"));
    editMenu->addAction(action("moveBottom"));
    QMenu* sort = editMenu->addMenu(tr("S&ort by"));
    sort->setToolTipsVisible(true);
    const std::pair<const char*, edit::ServiceSortKey> keys[] = {{"Name", edit::ServiceSortKey::Name},
                                                                 {"Provider", edit::ServiceSortKey::Provider},
                                                                 {"TS", edit::ServiceSortKey::Ts},
                                                                 {"Channel number", edit::ServiceSortKey::ChannelNumber}};
    for (const auto& [text, key] : keys) {
        auto* a = new QAction(tr(text), this);
        sort->addAction(a);
        a->setObjectName(QStringLiteral("sort") + QString(text).remove(' '));
        a->setToolTip(tr("Sort the selected services (or the whole tab) by %1; equal ones keep their order").arg(tr(text).toLower()));
        connect(a, &QAction::triggered, this, [this, key] { sortRows(static_cast<int>(key)); });
        addAction(a);
    }
    editMenu->addAction(action("renumber"));
    editMenu->addAction(action("setProvider"));
    editMenu->addAction(action("setTs"));
    editMenu->addSeparator();
    editMenu->addAction(action("find"));
    editMenu->addAction(action("selectDuplicates"));
    editMenu->addAction(action("reorder"));
    editMenu->addSeparator();
    editMenu->addAction(action("addProvider"));
    editMenu->addAction(action("deleteProvider"));
    editMenu->addAction(action("deleteNetwork"));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    QAction* toggleFindings = findings_->toggleViewAction();
    toggleFindings->setText(tr("&Findings panel"));
    toggleFindings->setToolTip(tr("Show or hide the findings of the checks"));
    view->addAction(toggleFindings);
    view->addAction(action("showRaw"));
    for (QMenu* m : {file, receiver, editMenu, view}) {
        m->setToolTipsVisible(true);
    }

    QToolBar* bar = addToolBar(tr("Main"));
    bar->setObjectName("mainToolBar");
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addAction(action("open"));
    bar->addAction(action("save"));
    bar->addSeparator();
    bar->addAction(action("receive"));
    bar->addAction(action("send"));
    bar->addSeparator();
    bar->addAction(action("undo"));
    bar->addAction(action("redo"));
    bar->addAction(action("delete"));
    bar->addSeparator();
    bar->addWidget(filter_);
}

}  // namespace bv3::editor
