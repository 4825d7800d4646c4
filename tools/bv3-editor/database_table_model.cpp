#include "database_table_model.h"

namespace bv3::editor {

void DatabaseTableModel::setDatabase(const channeldb::ChannelDatabase* db) {
    beginResetModel();
    db_ = db;
    shownRows_ = currentRows();
    endResetModel();
}

void DatabaseTableModel::resetRows() {
    beginResetModel();
    shownRows_ = currentRows();
    endResetModel();
}

void DatabaseTableModel::refresh() {
    if (currentRows() != shownRows_) {
        resetRows();
    } else if (shownRows_ > 0) {
        emit dataChanged(index(0, 0), index(shownRows_ - 1, columnCount() - 1));
    }
}

int DatabaseTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

}  // namespace bv3::editor
