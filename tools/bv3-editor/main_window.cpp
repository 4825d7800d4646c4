// The main window's building and wiring: the tabs over the open list, the findings panel, the
// status bar and the layout kept between runs. What each menu does is in its own file
// (main_window_file.cpp, main_window_receiver.cpp, main_window_edit.cpp, main_window_tables.cpp).

#include "main_window.h"
#include "main_window_support.h"
#include "row_choice_delegate.h"
#include "disk_change_guard.h"
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

constexpr const char* layoutKey = "window/";

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
    if (controller_.hasDocument()) {
        controller_.document().unsubscribe(listener_);
    }
}

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
    // Wide enough for a service in every list.
    view->setColumnWidth(ServiceTableModel::Favourites, view->fontMetrics().horizontalAdvance(favouriteListsText(0x0F)) + 16);
    connect(model, &ServiceTableModel::fieldEdited, this, [this](std::size_t row, std::size_t field, const QString& text) {
        editField(edit::RecordType::Service, {row}, field, text);
    });
    auto* choices = new RowChoiceDelegate(ServiceTableModel::choicesRole, view);
    view->setItemDelegateForColumn(ServiceTableModel::Provider, choices);
    view->setItemDelegateForColumn(ServiceTableModel::TransportStream, choices);
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
        if (!controller_.hasDocument()) {
            return std::nullopt;
        }
        const auto& db = controller_.document().database();
        return edit::resolveEntry(db, static_cast<std::uint8_t>(group),
                                  db.favEntry[static_cast<std::size_t>(group)][static_cast<std::size_t>(list)]
                                             [static_cast<std::size_t>(position)]);
    });
    connect(favourites_, &FavouritesView::addRequested, this, &MainWindow::addFavourites);
    connect(favourites_, &FavouritesView::removeRequested, this, &MainWindow::removeFavourites);
    connect(favourites_, &FavouritesView::moveRequested, this, &MainWindow::moveFavourites);
    connect(favourites_, &FavouritesView::moveToRequested, this, &MainWindow::dropFavourites);
    tabs_->addTab(favourites_, tr("Favo&urites"));
    providers_ = makeProviderModel(this);
    networks_ = makeNetworkModel(this);
    transportStreams_ = makeTransportStreamModel(this);
    antennas_ = makeAntennaModel(this);
    tabs_->addTab(makeRecordView(providers_, "providerTable"), tr("&Providers"));
    tabs_->addTab(makeRecordView(networks_, "networkTable"), tr("&Networks"));
    tabs_->addTab(makeRecordView(transportStreams_, "tsTable"), tr("&TS"));
    tabs_->addTab(makeRecordView(antennas_, "antennaTable"), tr("Antenna&s"));
    for (RecordTableModel* model : {providers_, networks_, transportStreams_, antennas_}) {
        connect(model, &RecordTableModel::fieldEdited, this, [this, model](int row, std::size_t field, const QString& text) {
            editField(model->type(), {static_cast<std::size_t>(row)}, field, text);
        });
    }
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

void MainWindow::restoreLayout() {
    resize(1000, 700);
    // The list is what a person works on; the findings panel starts as a strip below it.
    resizeDocks({findings_}, {150}, Qt::Vertical);
    restoreGeometry(settings_.value(QString(layoutKey) + "geometry"));
    restoreState(settings_.value(QString(layoutKey) + "state"));
    for (QTableView* view : tables_) {
        const QByteArray header = settings_.value(QString(layoutKey) + view->objectName());
        // A layout saved for another set of columns (an older editor) would hide or size the
        // wrong ones: the table then starts with its own.
        const QByteArray columns = settings_.value(QString(layoutKey) + view->objectName() + "Columns");
        if (!header.isEmpty() && columns.toInt() == view->model()->columnCount()) {
            view->horizontalHeader()->restoreState(header);
        }
    }
}

void MainWindow::saveLayout() {
    settings_.setValue(QString(layoutKey) + "geometry", saveGeometry());
    settings_.setValue(QString(layoutKey) + "state", saveState());
    for (QTableView* view : tables_) {
        settings_.setValue(QString(layoutKey) + view->objectName(), view->horizontalHeader()->saveState());
        settings_.setValue(QString(layoutKey) + view->objectName() + "Columns",
                           QByteArray::number(view->model()->columnCount()));
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

}  // namespace bv3::editor
