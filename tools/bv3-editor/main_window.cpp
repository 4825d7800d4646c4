#include "main_window.h"

#include "disk_change_guard.h"
#include "document_files.h"
#include "favourites_view.h"
#include "list_export.h"
#include "menu_settings_form.h"
#include "list_comparisons.h"
#include "receiver_link.h"
#include "recovery_keeper.h"
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

constexpr const char* layoutKey = "window/";

QString qs(const std::string& text) {
    return QString::fromStdString(edit::utf8FromReceiverText(text));
}

edit::ServiceGroup groupOf(ServiceKind kind) {
    return kind == ServiceKind::Video ? edit::ServiceGroup::Video : edit::ServiceGroup::Audio;
}

FindingTarget targetOf(const edit::ListPlace& place) {
    FindingTarget t;
    if (!place.table) {
        return t;
    }
    t.row = static_cast<int>(place.row);
    switch (*place.table) {
    case edit::ListTable::Services:
        t.table = FindingTarget::Table::Service;
        break;
    case edit::ListTable::TransportStreams:
        t.table = FindingTarget::Table::TransportStream;
        break;
    case edit::ListTable::Networks:
        t.table = FindingTarget::Table::Network;
        break;
    case edit::ListTable::Providers:
        t.table = FindingTarget::Table::Provider;
        break;
    case edit::ListTable::Favourites:
        t.table = FindingTarget::Table::Favourite;
        t.group = place.group;
        t.list = place.list;
        break;
    case edit::ListTable::Menu:
    case edit::ListTable::Antennas:
        t.table = FindingTarget::Table::Menu;
        break;
    }
    return t;
}

// The services one model's receiver holds: its banks, and never more than a list holds.
std::size_t serviceCapacityOf(std::uint8_t modelCode) {
    return std::min<std::size_t>(channeldb::layoutFor(modelCode).serviceCapacity(), channeldb::serviceCapacity);
}

QString counted(int count, const QString& one, const QString& many) {
    return QString::number(count) + ' ' + (count == 1 ? one : many);
}

// A name typed without a suffix gets the one of the format chosen in the dialog.
QString withFormatSuffix(const QString& path, const QString& filter) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) {
        return path;
    }
    return path + (filter.contains("v3q") ? ".v3q" : ".qnf");
}

// A number typed into a cell of the TS or antenna table goes into a field of a fixed width;
// one that does not fit is refused rather than cut, so the receiver never gets a wrapped value.
template <class Field>
void assignIfItFits(Field& field, std::uint64_t value) {
    if (value > std::numeric_limits<Field>::max()) {
        throw edit::EditError(std::to_string(value) + " does not fit the field (at most " +
                              std::to_string(std::numeric_limits<Field>::max()) + ")");
    }
    field = static_cast<Field>(value);
}

}  // namespace

MainWindow::MainWindow(std::unique_ptr<UserPrompts> prompts, QWidget* parent)
    : QMainWindow(parent),
      prompts_(prompts ? std::move(prompts) : std::make_unique<DialogPrompts>(this)),
      link_(std::make_unique<ReceiverLink>(this)),
      comparisons_(std::make_unique<ListComparisons>(*this)) {
    setObjectName("mainWindow");
    buildTabs();
    buildActions();
    buildMenus();
    restoreLayout();
    refreshAll();
    updateRecentMenu();
    setUpSafety();
}

MainWindow::~MainWindow() {
    if (doc_) {
        doc_->unsubscribe(listener_);
    }
}

// ---------------------------------------------------------------- layout

QTableView* MainWindow::makeServiceView(ServiceKind kind) {
    auto* model = new ServiceTableModel(kind, this);
    auto* proxy = new QSortFilterProxyModel(this);
    proxy->setSourceModel(model);
    proxy->setFilterRole(ServiceTableModel::filterRole);
    proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    // The proxy only filters (it never sorts: the rows stay in the receiver's order), and it
    // filters again on every change, so that with Find active the rows shown after a move,
    // delete or undo are the services that hold the text.
    proxy->setDynamicSortFilter(true);
    auto* view = new QTableView;
    view->setObjectName(kind == ServiceKind::Video ? "videoTable" : "audioTable");
    view->setModel(proxy);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setDragEnabled(true);
    view->setAcceptDrops(true);
    view->setDropIndicatorShown(true);
    view->setDragDropMode(QAbstractItemView::DragDrop);
    view->setDefaultDropAction(Qt::MoveAction);
    // A drag ends in the core's move; the view must not clear the cells it dragged from.
    view->setDragDropOverwriteMode(false);
    view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(false);
    // The name takes the room the window has; the other columns keep the widths set.
    view->horizontalHeader()->setSectionResizeMode(ServiceTableModel::Name, QHeaderView::Stretch);
    view->setToolTip(kind == ServiceKind::Video ? tr("The video services in the receiver's order; drag rows to move them")
                                                : tr("The audio services in the receiver's order; drag rows to move them"));
    for (int c = ServiceTableModel::FirstRawColumn; c < ServiceTableModel::ColumnCount; ++c) {
        view->setColumnHidden(c, true);
    }
    view->setColumnWidth(ServiceTableModel::Position, 48);
    view->setColumnWidth(ServiceTableModel::ChannelNumber, 48);
    view->setColumnWidth(ServiceTableModel::Name, 200);
    view->setColumnWidth(ServiceTableModel::Provider, 130);
    view->setColumnWidth(ServiceTableModel::TransportStream, 140);
    for (int c : {ServiceTableModel::Flag3, ServiceTableModel::Flag1, ServiceTableModel::Flag0, ServiceTableModel::Value}) {
        view->setColumnWidth(c, 56);
    }
    connect(model, &ServiceTableModel::renameRequested, this, &MainWindow::renameService);
    connect(model, &ServiceTableModel::moveRequested, this,
            [this, kind](const QList<std::size_t>& rows, int position) { moveDropped(kind, rows, position); });
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::updateActions);
    // A click on a column's header sorts the list by it (again: the other way round), as one
    // undoable edit of the receiver's order.
    view->horizontalHeader()->setSectionsClickable(true);
    view->horizontalHeader()->setSortIndicatorShown(false);
    connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, kind](int column) { sortByColumn(kind, column); });
    (kind == ServiceKind::Video ? video_ : audio_) = model;
    (kind == ServiceKind::Video ? videoProxy_ : audioProxy_) = proxy;
    (kind == ServiceKind::Video ? videoView_ : audioView_) = view;
    tables_.append(view);
    return view;
}

QTableView* MainWindow::makeRecordView(RecordTableModel* model, const QString& name) {
    auto* view = new QTableView;
    view->setObjectName(name);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    tables_.append(view);
    return view;
}

void MainWindow::buildTabs() {
    tabs_ = new QTabWidget;
    tabs_->setObjectName("tabs");
    tabs_->setDocumentMode(true);
    tabs_->addTab(makeServiceView(ServiceKind::Video), tr("Vi&deo"));
    tabs_->addTab(makeServiceView(ServiceKind::Audio), tr("&Audio"));
    favourites_ = new FavouritesView;
    favourites_->model()->setResolver([this](int group, int list, int position) -> std::optional<std::size_t> {
        if (!doc_) {
            return std::nullopt;
        }
        const auto& db = doc_->database();
        return edit::resolveEntry(db, static_cast<std::uint8_t>(group),
                                  db.favEntry[static_cast<std::size_t>(group)][static_cast<std::size_t>(list)]
                                             [static_cast<std::size_t>(position)]);
    });
    connect(favourites_, &FavouritesView::addRequested, this, &MainWindow::addFavourites);
    connect(favourites_, &FavouritesView::removeRequested, this, &MainWindow::removeFavourites);
    connect(favourites_, &FavouritesView::moveRequested, this, &MainWindow::moveFavourites);
    tabs_->addTab(favourites_, tr("Favo&urites"));
    providers_ = makeProviderModel(this);
    networks_ = makeNetworkModel(this);
    transportStreams_ = makeTransportStreamModel(this);
    antennas_ = makeAntennaModel(this);
    tabs_->addTab(makeRecordView(providers_, "providerTable"), tr("&Providers"));
    tabs_->addTab(makeRecordView(networks_, "networkTable"), tr("&Networks"));
    tabs_->addTab(makeRecordView(transportStreams_, "tsTable"), tr("&TS"));
    tabs_->addTab(makeRecordView(antennas_, "antennaTable"), tr("Antenna&s"));
    connect(providers_, &RecordTableModel::editRequested, this,
            [this](int row, int column, const QVariant& v) { editRecord(EditorTab::Providers, row, column, v); });
    connect(networks_, &RecordTableModel::editRequested, this,
            [this](int row, int column, const QVariant& v) { editRecord(EditorTab::Networks, row, column, v); });
    connect(transportStreams_, &RecordTableModel::editRequested, this,
            [this](int row, int column, const QVariant& v) { editRecord(EditorTab::TransportStreams, row, column, v); });
    connect(antennas_, &RecordTableModel::editRequested, this,
            [this](int row, int column, const QVariant& v) { editRecord(EditorTab::Antennas, row, column, v); });
    menuForm_ = new MenuSettingsForm;
    connect(menuForm_, &MenuSettingsForm::valueEdited, this, &MainWindow::setMenuValue);
    tabs_->addTab(menuForm_, tr("Receiver sett&ings"));
    for (int i = 0; i < tabs_->count(); ++i) {
        static const char* const tips[] = {"Video services",      "Audio services", "Favourite lists",
                                           "Providers",           "Networks",       "Transport streams",
                                           "Antenna positions",   "The receiver's 44 menu settings"};
        tabs_->setTabToolTip(i, tr(tips[i]));
    }
    connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::updateActions);
    setCentralWidget(tabs_);

    findings_ = new FindingsDock(this);
    connect(findings_, &FindingsDock::jumpRequested, this, &MainWindow::jumpTo);
    addDockWidget(Qt::BottomDockWidgetArea, findings_);

    counts_ = new QLabel;
    counts_->setObjectName("countsLabel");
    counts_->setToolTip(tr("Services against what the receiver model holds, and the check findings"));
    statusBar()->addPermanentWidget(counts_);
}

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
        {"settings", "S&ettings...", "Port, rate, model, variant, header ID and encoder", none,
         &MainWindow::showSettings, QStyle::SP_CustomBase},
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
         none, &MainWindow::deleteProvider, QStyle::SP_CustomBase},
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
    editMenu->addSeparator();
    editMenu->addAction(action("find"));
    editMenu->addAction(action("selectDuplicates"));
    editMenu->addAction(action("reorder"));
    editMenu->addSeparator();
    editMenu->addAction(action("addProvider"));
    editMenu->addAction(action("deleteProvider"));

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

void MainWindow::restoreLayout() {
    resize(1000, 700);
    // The list is what a person works on; the findings panel starts as a strip below it.
    resizeDocks({findings_}, {150}, Qt::Vertical);
    restoreGeometry(settings_.value(QString(layoutKey) + "geometry"));
    restoreState(settings_.value(QString(layoutKey) + "state"));
    for (QTableView* view : tables_) {
        const QByteArray header = settings_.value(QString(layoutKey) + view->objectName());
        if (!header.isEmpty()) {
            view->horizontalHeader()->restoreState(header);
        }
    }
}

void MainWindow::saveLayout() {
    settings_.setValue(QString(layoutKey) + "geometry", saveGeometry());
    settings_.setValue(QString(layoutKey) + "state", saveState());
    for (QTableView* view : tables_) {
        settings_.setValue(QString(layoutKey) + view->objectName(), view->horizontalHeader()->saveState());
    }
}

QAction* MainWindow::action(const QString& objectName) const {
    return findChild<QAction*>(objectName, Qt::FindDirectChildrenOnly);
}

QTableView* MainWindow::serviceView(ServiceKind kind) const {
    return kind == ServiceKind::Video ? videoView_ : audioView_;
}

ServiceTableModel* MainWindow::serviceModel(ServiceKind kind) const {
    return kind == ServiceKind::Video ? video_ : audio_;
}

QSortFilterProxyModel* MainWindow::serviceProxy(ServiceKind kind) const {
    return kind == ServiceKind::Video ? videoProxy_ : audioProxy_;
}

void MainWindow::showTab(EditorTab tab) {
    tabs_->setCurrentIndex(static_cast<int>(tab));
}

std::optional<ServiceKind> MainWindow::currentKind() const {
    switch (tabs_->currentIndex()) {
    case static_cast<int>(EditorTab::Video):
        return ServiceKind::Video;
    case static_cast<int>(EditorTab::Audio):
        return ServiceKind::Audio;
    default:
        return std::nullopt;
    }
}

// ---------------------------------------------------------------- document

QString MainWindow::documentName() const {
    if (!doc_) {
        return {};
    }
    return path_.isEmpty() ? tr("(received list)") : QFileInfo(path_).fileName();
}

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

void MainWindow::adopt(edit::ChannelList list, const QString& path) {
    if (doc_) {
        doc_->unsubscribe(listener_);
    }
    cut_.clear();
    doc_.emplace(std::move(list));
    doc_->setFavouritesFollowServices(!settings_.receiver().keepFavouriteEntries);
    path_ = path;
    listener_ = doc_->subscribe([this](const edit::ListChange& change) { onListChanged(change); });
    watchDocument(path);
    const auto* db = &doc_->database();
    video_->setDatabase(db);
    audio_->setDatabase(db);
    providers_->setDatabase(db);
    networks_->setDatabase(db);
    transportStreams_->setDatabase(db);
    antennas_->setDatabase(db);
    favourites_->model()->setDatabase(db);
    menuForm_->setDatabase(db);
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
    if (doc_) {
        for (const edit::ListFinding& f : doc_->findings()) {
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
    if (!place.table || !doc_) {
        return line;
    }
    const auto row = static_cast<qsizetype>(place.row);
    switch (*place.table) {
    case edit::ListTable::Services: {
        const qsizetype videoCount = doc_->database().videoCount;
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
    if (!doc_) {
        counts_->setText(tr("No list open"));
        return;
    }
    const auto& db = doc_->database();
    // Each list has its own slots on the receiver: one total would hide a full video list.
    const auto perList = std::min<std::size_t>(channeldb::layoutFor(doc_->modelCode()).listSlots,
                                             channeldb::serviceCapacity);
    counts_->setText(tr("model %1: video %2 of %3, audio %4 of %3, %5 of %6 services; %7, %8")
                         .arg(doc_->modelCode())
                         .arg(db.videoCount)
                         .arg(perList)
                         .arg(db.audioCount)
                         .arg(db.serviceCount())
                         .arg(serviceCapacityOf(doc_->modelCode()))
                         .arg(counted(findings_->errorCount(), tr("error"), tr("errors")),
                              counted(findings_->warningCount(), tr("warning"), tr("warnings"))));
}

void MainWindow::updateActions() {
    const bool open = doc_.has_value();
    const bool services = open && currentKind().has_value();
    const bool selected = services && !selectedServiceRows().empty();
    for (const char* name : {"save", "saveAs", "exportCsv", "exportHtml", "print", "send", "selectDuplicates",
                             "reorder", "addProvider"}) {
        action(name)->setEnabled(open);
    }
    action("undo")->setEnabled(open && doc_->canUndo());
    action("redo")->setEnabled(open && doc_->canRedo());
    action("undo")->setText(open && doc_->canUndo() ? tr("&Undo %1").arg(qs(doc_->undoText())) : tr("&Undo"));
    action("redo")->setText(open && doc_->canRedo() ? tr("&Redo %1").arg(qs(doc_->redoText())) : tr("&Redo"));
    for (const char* name : {"cut", "delete", "rename", "moveUp", "moveDown", "moveTop", "moveBottom"}) {
        action(name)->setEnabled(selected);
    }
    action("paste")->setEnabled(services && !cut_.empty());
    action("renumber")->setEnabled(services);
    action("deleteProvider")->setEnabled(open && tabs_->currentIndex() == static_cast<int>(EditorTab::Providers));
    for (QAction* a : actions()) {
        if (a->objectName().startsWith("sort")) {
            a->setEnabled(services);
        }
    }
}

void MainWindow::updateTitle() {
    setWindowTitle(doc_ ? tr("%1[*] - BV3 channel editor").arg(documentName()) : tr("BV3 channel editor"));
    setWindowModified(doc_ && doc_->isDirty());
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

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == filter_ && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y)) {
            // Not taken by the line edit: the window's undo and redo get the key.
            return event->type() == QEvent::ShortcutOverride;
        }
        if (key->key() == Qt::Key_Escape && event->type() == QEvent::KeyPress) {
            filter_->clear();
            if (const auto kind = currentKind()) {
                serviceView(*kind)->setFocus();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::maybeKeepChanges() {
    if (!doc_ || !doc_->isDirty()) {
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
    if (!doc_) {
        return false;
    }
    // A received list, or a raw image, has no text file to go back to.
    if (path_.isEmpty() || doc_->origin() == edit::ListOrigin::RawImage || doc_->origin() == edit::ListOrigin::New) {
        QString filter;
        const QString target = prompts_->saveFileName(tr("Save As"), proposedName(),
                                                      tr("Channel list (*.qnf);;Compressed channel list (*.v3q)"), &filter);
        return !target.isEmpty() && saveAs(withFormatSuffix(target, filter));
    }
    return saveAs(path_);
}

bool MainWindow::saveAs(const QString& path) {
    if (!doc_) {
        return false;
    }
    if (!diskChanges_->mayOverwrite(path)) {
        return false;
    }
    const std::string file = path.toStdString();
    try {
        keepBackup(path);
        const bool compressed = path.endsWith(".v3q", Qt::CaseInsensitive) ||
                                (path == path_ && doc_->origin() == edit::ListOrigin::Container);
        if (compressed) {
            doc_->saveContainer(file);
        } else {
            doc_->saveQnf(file);
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

// ---------------------------------------------------------------- file actions

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
    const QString stem = doc_ && doc_->origin() == edit::ListOrigin::RawImage ? QStringLiteral("received")
                                                                              : QStringLiteral("channels");
    return QDir(QFileInfo(settings_.recentFiles().value(0)).absolutePath())
        .filePath(stem + QDate::currentDate().toString(QStringLiteral("-yyyy-MM-dd")) + ".qnf");
}

void MainWindow::saveAsDialog() {
    if (!doc_) {
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
    if (!doc_) {
        return;
    }
    const QString target = prompts_->saveFileName(tr("Export as CSV"), QFileInfo(path_).completeBaseName() + ".csv",
                                                  tr("CSV table (*.csv)"), nullptr);
    if (target.isEmpty()) {
        return;
    }
    try {
        writeTextFile(target, servicesCsv(doc_->database()).toUtf8());
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Export"), QString::fromLocal8Bit(failure.what()));
    }
}

void MainWindow::exportHtml() {
    if (!doc_) {
        return;
    }
    const QString target = prompts_->saveFileName(tr("Export as HTML"), QFileInfo(path_).completeBaseName() + ".html",
                                                  tr("HTML page (*.html)"), nullptr);
    if (target.isEmpty()) {
        return;
    }
    try {
        writeTextFile(target, servicesHtml(doc_->database(), documentName()).toUtf8());
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Export"), QString::fromLocal8Bit(failure.what()));
    }
}

void MainWindow::printList() {
    if (!doc_) {
        return;
    }
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    QTextDocument page;
    page.setHtml(servicesHtml(doc_->database(), documentName()));
    page.print(&printer);
}

void MainWindow::showSettings() {
    SettingsDialog dialog(receiverSettings(), availablePorts(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    settings_.setReceiver(dialog.settings());
    // The checks follow the model the list is for.
    setModelCode(dialog.settings().modelCode);
    if (doc_) {
        doc_->setFavouritesFollowServices(!dialog.settings().keepFavouriteEntries);
    }
}

void MainWindow::setModelCode(std::uint8_t modelCode) {
    if (doc_ && doc_->modelCode() != modelCode) {
        doc_->setModelCode(modelCode);
    }
}

// ---------------------------------------------------------------- receiver

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
        if (!outcome.failure.isEmpty()) {
            prompts_->showError(tr("Receive"), tr("Nothing was received:\n%1").arg(outcome.failure));
        }
        return;
    }
    try {
        auto list = loadImageAsking(tr("Receive"), image.toStdString(), receiver.configVariant, receiver.modelCode);
        if (!list) {
            return;
        }
        adopt(std::move(*list), QString());
        recovery_->setSource(edit::RecoverySource::Receiver, receiver.port);
        comparisons_->received(*doc_);
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Receive"), tr("The received image cannot be read:\n%1").arg(QString::fromLocal8Bit(failure.what())));
        return;
    }
    statusBar()->showMessage(tr("Received the list from the receiver"), 5000);
}

void MainWindow::send() {
    if (!doc_) {
        return;
    }
    // The receiver would refuse or misread a list with an error: never open the port for it.
    for (const edit::ListFinding& f : doc_->findings()) {
        if (f.finding.severity == channeldb::Severity::Error) {
            jumpTo(targetOf(f.place));
            prompts_->showError(tr("Send"), tr("The list cannot be sent while an error stands:\n%1")
                                                .arg(qs(channeldb::formatFinding(f.finding))));
            return;
        }
    }
    // A warning (a favourite that now names another service, a name the receiver cuts) is
    // asked about once, listing them, before anything goes to the receiver.
    QStringList warnings;
    for (const edit::ListFinding& f : doc_->findings()) {
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
    const std::optional<bool> verify = comparisons_->reviewSend(*doc_);
    if (!verify) {
        return;
    }
    ReceiverSettings receiver = receiverSettings();
    receiver.modelCode = doc_->modelCode();
    receiver.configVariant = doc_->configVariant().value_or(receiver.configVariant);
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        prompts_->showError(tr("Send"), tr("Cannot create a scratch folder: %1").arg(scratch.errorString()));
        return;
    }
    const QString image = scratch.filePath("download.qdf");
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        buildDownloadImage(doc_->database(), documentName().toStdString(), receiver, image);
        QApplication::restoreOverrideCursor();
    } catch (const std::exception& failure) {
        QApplication::restoreOverrideCursor();
        prompts_->showError(tr("Send"), tr("The download image was not built:\n%1").arg(QString::fromLocal8Bit(failure.what())));
        return;
    }
    const TransferOutcome outcome = link_->send(receiver, image);
    if (outcome.completed) {
        statusBar()->showMessage(tr("Sent the list to the receiver"), 5000);
        comparisons_->sent(*verify, receiver, *doc_);
    } else if (!outcome.failure.isEmpty()) {
        prompts_->showError(tr("Send"), tr("The list was not sent:\n%1").arg(outcome.failure));
    }
}

// ---------------------------------------------------------------- selection

std::vector<std::size_t> MainWindow::selectedServiceRows() const {
    const auto kind = currentKind();
    if (!kind || !doc_) {
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

template <class Operation>
bool MainWindow::apply(Operation&& operation, bool keepSelection) {
    if (!doc_) {
        return false;
    }
    const auto kind = currentKind();
    std::vector<edit::ServiceId> selected;
    if (keepSelection && kind) {
        for (std::size_t row : selectedServiceRows()) {
            selected.push_back(doc_->serviceId(row));
        }
    }
    try {
        operation(*doc_);
    } catch (const std::exception& failure) {
        prompts_->showError(tr("Edit"), QString::fromLocal8Bit(failure.what()));
        return false;
    }
    if (keepSelection && kind) {
        QList<int> positions;
        const std::size_t first = serviceModel(*kind)->firstRow();
        for (edit::ServiceId id : selected) {
            if (const auto row = doc_->rowOf(id); row && *row >= first) {
                positions.append(static_cast<int>(*row - first));
            }
        }
        selectServices(*kind, positions);
    }
    updateActions();
    return true;
}

void MainWindow::jumpTo(const FindingTarget& target) {
    if (!doc_) {
        return;
    }
    switch (target.table) {
    case FindingTarget::Table::Service: {
        const auto row = static_cast<std::size_t>(target.row);
        const bool video = row < doc_->database().videoCount;
        const ServiceKind kind = video ? ServiceKind::Video : ServiceKind::Audio;
        filter_->clear();
        showTab(video ? EditorTab::Video : EditorTab::Audio);
        selectServices(kind, {static_cast<int>(video ? row : row - doc_->database().videoCount)});
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

// ---------------------------------------------------------------- edit actions

void MainWindow::undo() {
    stepThroughHistory(true);
}

void MainWindow::redo() {
    stepThroughHistory(false);
}

void MainWindow::stepThroughHistory(bool back) {
    if (!doc_) {
        return;
    }
    const edit::ServiceSnapshot before = edit::snapshotServices(*doc_);
    if (!apply([back](edit::ChannelList& list) { back ? list.undo() : list.redo(); })) {
        return;
    }
    // Show what the step changed: the services it moved, changed or brought back.
    const auto changed = edit::changedServiceRows(before, *doc_);
    if (changed.empty()) {
        return;
    }
    const auto kind = currentKind();
    if (!kind) {
        return;  // the step of another table: its own tab shows it
    }
    const std::size_t videoCount = doc_->database().videoCount;
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
    cut_.clear();
    for (std::size_t row : selectedServiceRows()) {
        cut_.push_back(doc_->serviceId(row));
    }
    statusBar()->showMessage(tr("%n service(s) cut: select a row and paste to move them there", nullptr,
                                static_cast<int>(cut_.size())),
                             5000);
    updateActions();
}

void MainWindow::pasteRows() {
    const auto kind = currentKind();
    if (!doc_ || !kind || cut_.empty()) {
        return;
    }
    std::vector<std::size_t> rows;
    for (edit::ServiceId id : cut_) {
        if (const auto row = doc_->rowOf(id)) {
            rows.push_back(*row);
        }
    }
    const auto selection = selectedServiceRows();
    const std::size_t first = serviceModel(*kind)->firstRow();
    const int target = selection.empty() ? serviceModel(*kind)->rowCount() : static_cast<int>(selection.front() - first);
    QList<std::size_t> moved(rows.begin(), rows.end());
    moveDropped(*kind, moved, target);
    cut_.clear();
    updateActions();
}

void MainWindow::moveDropped(ServiceKind kind, const QList<std::size_t>& rows, int position) {
    if (!doc_ || rows.isEmpty()) {
        return;
    }
    // The view's position counts the dragged rows; the core's is counted without them.
    const std::size_t first = serviceModel(kind)->firstRow();
    std::size_t before = 0;
    for (std::size_t row : rows) {
        if (row < first + static_cast<std::size_t>(position)) {
            ++before;
        }
    }
    const std::size_t target = static_cast<std::size_t>(position) - before;
    std::vector<std::size_t> moved(rows.begin(), rows.end());
    std::vector<edit::ServiceId> ids;
    for (std::size_t row : moved) {
        ids.push_back(doc_->serviceId(row));
    }
    if (currentKind() != kind) {
        showTab(kind == ServiceKind::Video ? EditorTab::Video : EditorTab::Audio);
    }
    if (!apply([&](edit::ChannelList& list) { edit::moveServices(list, moved, target); }, false)) {
        return;
    }
    QList<int> positions;
    for (edit::ServiceId id : ids) {
        if (const auto row = doc_->rowOf(id)) {
            positions.append(static_cast<int>(*row - serviceModel(kind)->firstRow()));
        }
    }
    selectServices(kind, positions);
}

void MainWindow::deleteRows() {
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

void MainWindow::renameCurrent() {
    const auto kind = currentKind();
    if (!kind) {
        return;
    }
    QTableView* view = serviceView(*kind);
    const QModelIndex current = view->currentIndex();
    if (current.isValid()) {
        const QModelIndex name = current.siblingAtColumn(ServiceTableModel::Name);
        view->setCurrentIndex(name);
        view->edit(name);
    }
}

void MainWindow::renameService(std::size_t row, const QString& name) {
    if (!doc_ || row >= doc_->database().serviceCount() || qs(doc_->database().services[row].svcName) == name) {
        return;
    }
    apply([&](edit::ChannelList& list) { edit::renameService(list, row, edit::receiverTextFromUtf8(name.toStdString())); });
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
    if (!doc_ || !kind) {
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
    if (!doc_) {
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
    if (!doc_) {
        return;
    }
    const auto& db = doc_->database();
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
        statusBar()->showMessage(tr("No duplicates; %n name(s) repeat on other transport streams", nullptr,
                                    static_cast<int>(near.size())),
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

void MainWindow::reorderLikeReference() {
    if (!doc_) {
        return;
    }
    const QString path = prompts_->openFileName(tr("Reference list"), QFileInfo(path_).absolutePath(),
                                                tr("Channel lists (*.qnf *.v3q *.fast *.raw);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    auto reference = load(path, std::nullopt);
    if (!reference) {
        return;
    }
    const bool drop = prompts_->confirm(
        tr("Reorder like a reference"),
        tr("Remove the services that \"%1\" does not have?\n(No keeps them, after the matched ones.)").arg(QFileInfo(path).fileName()));
    edit::ReorderReport report;
    edit::ReorderOptions options;
    options.dropUnmatched = drop;
    options.referenceModel = reference->modelCode();
    if (apply([&](edit::ChannelList& list) { report = edit::reorderByReference(list, reference->database(), options); },
              false)) {
        prompts_->showInformation(tr("Reorder like a reference"),
                                  tr("%1 services matched the reference, %2 did not (%3 removed); %4 services of the "
                                     "reference are not in this list.")
                                      .arg(report.matched)
                                      .arg(report.unmatched)
                                      .arg(report.dropped)
                                      .arg(report.referenceUnmatched));
    }
}

void MainWindow::addProvider() {
    if (!doc_) {
        return;
    }
    const auto name = prompts_->askText(tr("Add provider"), tr("Name of the new provider:"), QString());
    if (name && !name->trimmed().isEmpty()) {
        apply([&](edit::ChannelList& list) { edit::addProvider(list, edit::receiverTextFromUtf8(name->toStdString())); }, false);
        showTab(EditorTab::Providers);
    }
}

void MainWindow::deleteProvider() {
    if (!doc_) {
        return;
    }
    auto* view = findChild<QTableView*>("providerTable");
    const QModelIndex current = view->currentIndex();
    if (!current.isValid()) {
        return;
    }
    const auto row = static_cast<std::size_t>(current.row());
    std::optional<std::size_t> takeOver;
    if (edit::providerUsers(*doc_, row) > 0) {
        const auto answer = prompts_->askText(
            tr("Delete provider"),
            tr("%n service(s) name this provider. Row of the provider that takes them over:", nullptr,
               static_cast<int>(edit::providerUsers(*doc_, row))),
            QString());
        if (!answer) {
            return;
        }
        bool ok = false;
        const uint value = answer->trimmed().toUInt(&ok);
        if (!ok) {
            prompts_->showError(tr("Delete provider"), tr("\"%1\" is not a provider row.").arg(*answer));
            return;
        }
        takeOver = value;
    }
    apply([&](edit::ChannelList& list) { edit::deleteProvider(list, row, takeOver); }, false);
}

// ---------------------------------------------------------------- requests from views

void MainWindow::editRecord(EditorTab tab, int row, int column, const QVariant& value) {
    if (!doc_) {
        return;
    }
    const auto r = static_cast<std::size_t>(row);
    const auto& db = doc_->database();
    bool ok = true;
    qlonglong number = value.toLongLong(&ok);
    if (tab == EditorTab::Antennas && column == 2 && value.toString().trimmed().isEmpty()) {
        number = 0xFFFFFFFFll;  // an emptied antenna number is "not set", as the table shows it
        ok = true;
    }
    apply(
        [&](edit::ChannelList& list) {
            switch (tab) {
            case EditorTab::Providers:
                if (qs(db.providers[r].provName) != value.toString()) {
                    edit::renameProvider(list, r, edit::receiverTextFromUtf8(value.toString().toStdString()));
                }
                break;
            case EditorTab::Networks:
                if (qs(db.networks[r].netName) != value.toString()) {
                    edit::renameNetwork(list, r, edit::receiverTextFromUtf8(value.toString().toStdString()));
                }
                break;
            case EditorTab::TransportStreams: {
                if (!ok || number < 0) {
                    throw edit::EditError("\"" + value.toString().toStdString() + "\" is not a number");
                }
                channeldb::TsRecord ts = db.transportStreams[r];
                const auto u = static_cast<std::uint64_t>(number);
                auto set = [u](auto& field) { assignIfItFits(field, u); };
                switch (column) {
                case 1: set(ts.tsWordC); break;
                case 3: set(ts.tsLongA); break;
                case 4: set(ts.tsLongB); break;
                case 5: set(ts.tsByteA); break;
                case 6: set(ts.tsByteB); break;
                case 7: set(ts.tsWordA); break;
                case 8: set(ts.tsWordB); break;
                default: return;
                }
                if (!(ts == db.transportStreams[r])) {
                    edit::setTs(list, r, ts);
                }
                break;
            }
            case EditorTab::Antennas: {
                if (!ok || number < 0) {
                    throw edit::EditError("\"" + value.toString().toStdString() + "\" is not a number");
                }
                channeldb::AntennaRecord a = db.antennas[r];
                const auto u = static_cast<std::uint64_t>(number);
                auto set = [u](auto& field) { assignIfItFits(field, u); };
                switch (column) {
                case 2: set(a.antLong); break;
                case 3: set(a.antWordA); break;
                case 4: set(a.antWordB); break;
                case 5: set(a.antByteA); break;
                case 6: set(a.antByteB); break;
                case 7: set(a.antByteC); break;
                case 8: set(a.antByteD); break;
                default: return;
                }
                if (!(a == db.antennas[r])) {
                    edit::setAntenna(list, r, a);
                }
                break;
            }
            default:
                break;
            }
        },
        false);
}

void MainWindow::addFavourites(int group, int list, int position) {
    if (!doc_) {
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
    const bool done = apply(
        [&](edit::ChannelList& doc) {
            edit::EditGroup step(doc, rows.size() == 1 ? "Add a favourite" : "Add " + std::to_string(rows.size()) + " favourites");
            std::size_t at = static_cast<std::size_t>(position);
            for (std::size_t row : rows) {
                const auto entry = edit::entryFor(doc.database(), row);
                if (!entry) {
                    throw edit::EditError("\"" + doc.database().services[row].svcName +
                                          "\" has no channel number, so no favourite entry can name it");
                }
                edit::addFavourite(doc, static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(list), *entry, at++);
            }
        },
        false);
    if (done) {
        QList<int> added;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            added.append(position + static_cast<int>(i));
        }
        favourites_->selectPositions(added);
    }
}

void MainWindow::removeFavourites(int group, int list, const QList<int>& positions) {
    std::vector<std::size_t> indices(positions.begin(), positions.end());
    apply([&](edit::ChannelList& doc) {
        edit::removeFavourites(doc, static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(list), indices);
    }, false);
}

void MainWindow::moveFavourites(int group, int list, const QList<int>& positions, int step) {
    if (!doc_ || positions.isEmpty()) {
        return;
    }
    const int count = doc_->database().favCount[static_cast<std::size_t>(group)][static_cast<std::size_t>(list)];
    if ((step < 0 && positions.front() == 0) || (step > 0 && positions.back() == count - 1)) {
        return;
    }
    QList<int> order = positions;
    if (step > 0) {
        std::reverse(order.begin(), order.end());
    }
    const bool done = apply(
        [&](edit::ChannelList& doc) {
            edit::EditGroup grouped(doc, "Move favourites");
            for (int p : order) {
                edit::moveFavourite(doc, static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(list),
                                    static_cast<std::size_t>(p), static_cast<std::size_t>(p + step));
            }
        },
        false);
    if (done) {
        QList<int> moved;
        for (int p : positions) {
            moved.append(p + step);
        }
        favourites_->selectPositions(moved);
    }
}

void MainWindow::setMenuValue(int n, qlonglong value) {
    if (!doc_ || edit::menuValue(doc_->database().menu, n) == value) {
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

}  // namespace bv3::editor
