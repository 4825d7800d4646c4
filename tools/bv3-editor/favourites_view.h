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

private:
    int rowsIn(const channeldb::ChannelDatabase& db) const override;

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
    // Move the entries so that the first lands at destination (-1 up one, +1 down one).
    void moveRequested(int group, int list, const QList<int>& positions, int step);

private:
    void chooseList();

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
