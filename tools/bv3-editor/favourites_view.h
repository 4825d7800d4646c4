#pragma once
// The favourites tab: a group and list chooser, the entries of that list with the service
// each one resolves to, and buttons to add the services selected in a service tab, remove
// and reorder entries. Every change is a request to the main window.

#include <QWidget>

#include "database_table_model.h"

#include <functional>
#include <optional>

class QComboBox;
class QPushButton;
class QTableView;

namespace bv3::channeldb {
class ChannelDatabase;
}

namespace bv3::editor {

// The drag payload: group, list, then the positions of the entries.
inline constexpr char favouriteEntriesMimeType[] = "application/x-bv3-favourite-entries";

// Which service row (absolute) an entry stands for, by the editing core's reading; empty when
// it resolves to none.
using FavouriteResolver = std::function<std::optional<std::size_t>(int group, int list, int position)>;

class FavouriteTableModel final : public DatabaseTableModel {
    Q_OBJECT
public:
    enum Column { Position, Entry, Service, ColumnCount };

    explicit FavouriteTableModel(QObject* parent = nullptr);

    void setResolver(FavouriteResolver resolver) { resolver_ = std::move(resolver); }
    void setList(int group, int list);
    int group() const { return group_; }
    int list() const { return list_; }

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Entries are dragged within their own list only: the payload names the group, the list and
    // the positions, and a drop on another list is refused.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }

signals:
    // A person dropped the entries at positions before the entry at position (the dropped
    // entries still in the list; rowCount() for the end).
    void dropRequested(const QList<int>& positions, int position);

private:
    int rowsIn(const channeldb::ChannelDatabase& db) const override;
    bool decode(const QMimeData* data, QList<int>* positions) const;

    FavouriteResolver resolver_;
    int group_ = 0;
    int list_ = 0;
};

class FavouritesView final : public QWidget {
    Q_OBJECT
public:
    explicit FavouritesView(QWidget* parent = nullptr);

    FavouriteTableModel* model() const { return model_; }
    QTableView* table() const { return table_; }
    QComboBox* groupBox() const { return group_; }
    QComboBox* listBox() const { return list_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* removeButton() const { return remove_; }
    // The selected entries' positions, ascending.
    QList<int> selectedPositions() const;
    void selectPositions(const QList<int>& positions);
    // The insertion point for new entries: after the current entry, or the end.
    int insertPosition() const;

signals:
    // Add the services selected in the service tab of this group.
    void addRequested(int group, int list, int position);
    void removeRequested(int group, int list, const QList<int>& positions);
    // Move each entry one place up (-1) or down (+1).
    void moveRequested(int group, int list, const QList<int>& positions, int step);
    // Move the entries together before the entry at position (a drop, Ctrl+Home, Ctrl+End).
    void moveToRequested(int group, int list, const QList<int>& positions, int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseList();
    // Ctrl+Up, Ctrl+Down, Ctrl+Home, Ctrl+End in the table, as in the service lists.
    bool moveKey(int key);

    FavouriteTableModel* model_;
    QComboBox* group_;
    QComboBox* list_;
    QTableView* table_;
    QPushButton* add_;
    QPushButton* remove_;
    QPushButton* up_;
    QPushButton* down_;
};

}  // namespace bv3::editor
