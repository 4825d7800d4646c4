#include "favourites_view.h"

#include "channeldb/channel_database.h"
#include "edit/receiver_text.h"

#include <QComboBox>
#include <QDataStream>
#include <QIODevice>
#include <QKeyEvent>
#include <QMimeData>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace bv3::editor {

FavouriteTableModel::FavouriteTableModel(QObject* parent) : DatabaseTableModel(parent) {}

int FavouriteTableModel::rowsIn(const channeldb::ChannelDatabase& db) const {
    return db.favCount[static_cast<std::size_t>(group_)][static_cast<std::size_t>(list_)];
}

void FavouriteTableModel::setList(int group, int list) {
    group_ = group;
    list_ = list;
    resetRows();
}

int FavouriteTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FavouriteTableModel::data(const QModelIndex& index, int role) const {
    if (!showsRow(index)) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return index.column() == Service ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    const auto entry = database()->favEntry[static_cast<std::size_t>(group_)][static_cast<std::size_t>(list_)]
                                    [static_cast<std::size_t>(index.row())];
    switch (index.column()) {
    case Position:
        return index.row() + 1;
    case Entry:
        return entry;
    case Service: {
        const auto row = resolver_ ? resolver_(group_, list_, index.row()) : std::nullopt;
        if (!row || *row >= database()->serviceCount()) {
            return role == Qt::ToolTipRole ? tr("The receiver's service number %1 stands for no service of this list").arg(entry)
                                           : tr("(no such service)");
        }
        const auto& s = database()->services[*row];
        const QString name = QString::fromStdString(edit::utf8FromReceiverText(s.svcName));
        return role == Qt::ToolTipRole ? tr("Row %1 of the service list").arg(*row) : name;
    }
    default:
        return {};
    }
}

QVariant FavouriteTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    static const char* const titles[] = {"#", "Entry", "Service"};
    static const char* const tips[] = {"Position in the favourite list", "The receiver's service number, as stored",
                                       "The service the entry stands for"};
    if (section < 0 || section >= ColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return tr(titles[section]);
    }
    if (role == Qt::ToolTipRole) {
        return tr(tips[section]);
    }
    return {};
}

Qt::ItemFlags FavouriteTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList FavouriteTableModel::mimeTypes() const {
    return {QString::fromLatin1(favouriteEntriesMimeType)};
}

QMimeData* FavouriteTableModel::mimeData(const QModelIndexList& indexes) const {
    QList<int> positions;
    for (const QModelIndex& index : indexes) {
        if (showsRow(index) && !positions.contains(index.row())) {
            positions.append(index.row());
        }
    }
    std::sort(positions.begin(), positions.end());
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << static_cast<qint32>(group_) << static_cast<qint32>(list_) << static_cast<qint32>(positions.size());
    for (const int p : positions) {
        out << static_cast<qint32>(p);
    }
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(favouriteEntriesMimeType), bytes);
    return data;
}

bool FavouriteTableModel::decode(const QMimeData* data, QList<int>* positions) const {
    if (data == nullptr || !data->hasFormat(QString::fromLatin1(favouriteEntriesMimeType)) || database() == nullptr) {
        return false;
    }
    QDataStream in(data->data(QString::fromLatin1(favouriteEntriesMimeType)));
    qint32 group = -1;
    qint32 list = -1;
    qint32 n = 0;
    in >> group >> list >> n;
    // An entry is a number of its own group and list: in another list it would name another
    // service, so it only moves within the list it came from.
    if (in.status() != QDataStream::Ok || group != group_ || list != list_ || n <= 0 || n > rowCount()) {
        return false;
    }
    for (qint32 i = 0; i < n; ++i) {
        qint32 p = -1;
        in >> p;
        if (in.status() != QDataStream::Ok || p < 0 || p >= rowCount()) {
            return false;
        }
        positions->append(p);
    }
    return true;
}

bool FavouriteTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                          const QModelIndex&) const {
    QList<int> positions;
    return action == Qt::MoveAction && decode(data, &positions);
}

bool FavouriteTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                       const QModelIndex& parent) {
    QList<int> positions;
    if (action != Qt::MoveAction || !decode(data, &positions)) {
        return false;
    }
    // Dropped onto an entry: before it; between entries: at row; on empty space: at the end.
    const int position = parent.isValid() ? parent.row() : (row >= 0 ? row : rowCount());
    emit dropRequested(positions, std::min(position, rowCount()));
    return true;
}

FavouritesView::FavouritesView(QWidget* parent)
    : QWidget(parent),
      model_(new FavouriteTableModel(this)),
      group_(new QComboBox),
      list_(new QComboBox),
      table_(new QTableView),
      // Letters the menus (F, R, E, V) and the tabs do not use.
      add_(new QPushButton(tr("Add selected servi&ces"))),
      remove_(new QPushButton(tr("Re&move"))),
      up_(new QPushButton(tr("M&ove up"))),
      down_(new QPushButton(tr("Move do&wn"))) {
    group_->addItems({tr("Video favourites"), tr("Audio favourites")});
    group_->setToolTip(tr("Group 0 holds video services, group 1 audio services"));
    for (int i = 0; i < static_cast<int>(channeldb::favouriteListsPerGroup); ++i) {
        list_->addItem(tr("List %1").arg(i));
    }
    list_->setToolTip(tr("The favourite list; lists 1 to 3 exist only on models 1 and 4"));
    add_->setToolTip(tr("Add the services selected in the video or audio tab after the current entry"));
    remove_->setToolTip(tr("Remove the selected entries from this list"));
    up_->setToolTip(tr("Move the selected entries up by one (Ctrl+Up; Ctrl+Home: to the top)"));
    down_->setToolTip(tr("Move the selected entries down by one (Ctrl+Down; Ctrl+End: to the bottom)"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(FavouriteTableModel::Position, 48);
    table_->setColumnWidth(FavouriteTableModel::Entry, 70);
    table_->setAlternatingRowColors(true);
    table_->setToolTip(tr("The entries of the chosen favourite list, in the receiver's order; drag entries to move them"));
    table_->setDragEnabled(true);
    table_->setAcceptDrops(true);
    table_->setDropIndicatorShown(true);
    table_->setDragDropMode(QAbstractItemView::DragDrop);
    table_->setDefaultDropAction(Qt::MoveAction);
    // A drag ends in the core's move; the view must not clear the entries it dragged from.
    table_->setDragDropOverwriteMode(false);
    table_->installEventFilter(this);
    table_->setObjectName("favouritesTable");

    auto* choosers = new QHBoxLayout;
    auto* groupLabel = new QLabel(tr("&Group:"));
    groupLabel->setBuddy(group_);
    auto* listLabel = new QLabel(tr("&List:"));
    listLabel->setBuddy(list_);
    choosers->addWidget(groupLabel);
    choosers->addWidget(group_);
    choosers->addWidget(listLabel);
    choosers->addWidget(list_);
    choosers->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add_);
    buttons->addWidget(remove_);
    buttons->addWidget(up_);
    buttons->addWidget(down_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choosers);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);

    connect(model_, &FavouriteTableModel::dropRequested, this, [this](const QList<int>& positions, int position) {
        emit moveToRequested(model_->group(), model_->list(), positions, position);
    });
    connect(group_, &QComboBox::currentIndexChanged, this, &FavouritesView::chooseList);
    connect(list_, &QComboBox::currentIndexChanged, this, &FavouritesView::chooseList);
    connect(add_, &QPushButton::clicked, this, [this] { emit addRequested(model_->group(), model_->list(), insertPosition()); });
    connect(remove_, &QPushButton::clicked, this, [this] {
        if (const auto positions = selectedPositions(); !positions.isEmpty()) {
            emit removeRequested(model_->group(), model_->list(), positions);
        }
    });
    connect(up_, &QPushButton::clicked, this, [this] {
        if (const auto positions = selectedPositions(); !positions.isEmpty()) {
            emit moveRequested(model_->group(), model_->list(), positions, -1);
        }
    });
    connect(down_, &QPushButton::clicked, this, [this] {
        if (const auto positions = selectedPositions(); !positions.isEmpty()) {
            emit moveRequested(model_->group(), model_->list(), positions, +1);
        }
    });
}

bool FavouritesView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Keypad arrows carry the keypad flag too; they are the same keys to a person.
        const bool ours = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier &&
                          (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_Home ||
                           key->key() == Qt::Key_End);
        if (ours && event->type() == QEvent::ShortcutOverride) {
            // The keys move entries here, whatever the window's menus bind them to.
            event->accept();
            return true;
        }
        if (ours) {
            return moveKey(key->key());
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool FavouritesView::moveKey(int key) {
    const QList<int> positions = selectedPositions();
    if (positions.isEmpty()) {
        return true;
    }
    const int group = model_->group();
    const int list = model_->list();
    switch (key) {
    case Qt::Key_Up:
        emit moveRequested(group, list, positions, -1);
        break;
    case Qt::Key_Down:
        emit moveRequested(group, list, positions, +1);
        break;
    case Qt::Key_Home:
        emit moveToRequested(group, list, positions, 0);
        break;
    default:
        emit moveToRequested(group, list, positions, model_->rowCount());
        break;
    }
    return true;
}

void FavouritesView::chooseList() {
    model_->setList(group_->currentIndex(), list_->currentIndex());
}

QList<int> FavouritesView::selectedPositions() const {
    QList<int> positions;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        positions.append(index.row());
    }
    std::sort(positions.begin(), positions.end());
    return positions;
}

void FavouritesView::selectPositions(const QList<int>& positions) {
    QItemSelection selection;
    for (int p : positions) {
        if (p >= 0 && p < model_->rowCount()) {
            selection.select(model_->index(p, 0), model_->index(p, FavouriteTableModel::ColumnCount - 1));
        }
    }
    table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

int FavouritesView::insertPosition() const {
    const QModelIndex current = table_->currentIndex();
    return current.isValid() ? current.row() + 1 : model_->rowCount();
}

}  // namespace bv3::editor
