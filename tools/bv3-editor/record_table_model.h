#pragma once
// The smaller tables of the list (providers, networks, TS, antennas) as read-mostly tables:
// each is a list of columns that read one row of the database. Edits in place become
// requests, as in the service tables.

#include "database_table_model.h"

#include <functional>
#include <vector>

namespace bv3::channeldb {
class ChannelDatabase;
}

namespace bv3::editor {

struct RecordColumn {
    QString title;
    QString toolTip;
    std::function<QVariant(const channeldb::ChannelDatabase&, int row)> value;
    bool editable = false;
};

class RecordTableModel final : public DatabaseTableModel {
    Q_OBJECT
public:
    RecordTableModel(std::function<int(const channeldb::ChannelDatabase&)> rows, std::vector<RecordColumn> columns,
                     QObject* parent = nullptr);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    void editRequested(int row, int column, const QVariant& value);

private:
    int rowsIn(const channeldb::ChannelDatabase& db) const override { return rows_(db); }

    std::function<int(const channeldb::ChannelDatabase&)> rows_;
    std::vector<RecordColumn> columns_;
};

// The tables of the list, each with its columns.
RecordTableModel* makeProviderModel(QObject* parent);
RecordTableModel* makeNetworkModel(QObject* parent);
RecordTableModel* makeTransportStreamModel(QObject* parent);
RecordTableModel* makeAntennaModel(QObject* parent);

}  // namespace bv3::editor
