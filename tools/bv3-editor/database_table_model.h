#pragma once
// What every table of the editor shares: it shows rows of the list's database, which the
// editing core changes underneath it. After a change the view is told either that the rows
// changed in place (same count: selection and scroll position stay) or, when the count
// changed, that the table was reset.

#include <QAbstractTableModel>

namespace bv3::channeldb {
class ChannelDatabase;
}

namespace bv3::editor {

class DatabaseTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setDatabase(const channeldb::ChannelDatabase* db);
    // Tells the view what the last change of the database did to this table.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;

protected:
    // How many rows of `db` this table shows.
    virtual int rowsIn(const channeldb::ChannelDatabase& db) const = 0;
    // For a change of what the table selects (another favourite list): a reset.
    void resetRows();

    const channeldb::ChannelDatabase* database() const { return db_; }
    int shownRows() const { return shownRows_; }
    // True for an index of a shown row of a loaded database.
    bool showsRow(const QModelIndex& index) const {
        return db_ != nullptr && index.isValid() && index.row() < shownRows_;
    }

private:
    int currentRows() const { return db_ != nullptr ? rowsIn(*db_) : 0; }

    const channeldb::ChannelDatabase* db_ = nullptr;
    int shownRows_ = 0;
};

}  // namespace bv3::editor
