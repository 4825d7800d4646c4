#pragma once
// The smaller tables of the list (providers, networks, TS, antennas). Their columns are the
// record's field table (edit/record_fields.h): its titles, its ranges in the tooltips, and which
// fields a person may set; the row number and the count of services that use a row are the
// window's own columns beside them. Edits in place become requests naming the field.

#include "database_table_model.h"

#include "edit/record_fields.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace bv3::channeldb {
class ChannelDatabase;
}

namespace bv3::editor {

struct RecordColumn {
    // A field of the record's table; none for the window's own columns below.
    std::optional<std::size_t> field;
    QString title;
    QString toolTip;
    std::function<QVariant(const channeldb::ChannelDatabase&, int row)> value;
};

class RecordTableModel final : public DatabaseTableModel {
    Q_OBJECT
public:
    RecordTableModel(edit::RecordType type, std::vector<RecordColumn> columns, QObject* parent = nullptr);

    edit::RecordType type() const { return type_; }
    // The column that shows a field, or -1.
    int columnOf(std::string_view fieldId) const;

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    // A person typed text into the cell of a field (an index into the record's field table).
    void fieldEdited(int row, std::size_t field, const QString& text);

private:
    int rowsIn(const channeldb::ChannelDatabase& db) const override;
    QVariant fieldValue(const edit::RecordField& field, std::size_t index, int row, int role) const;

    edit::RecordType type_;
    std::vector<RecordColumn> columns_;
};

// The tables of the list, each with its columns.
RecordTableModel* makeProviderModel(QObject* parent);
RecordTableModel* makeNetworkModel(QObject* parent);
RecordTableModel* makeTransportStreamModel(QObject* parent);
RecordTableModel* makeAntennaModel(QObject* parent);

// What a field's header tooltip says: what the format tells of it, and its range.
QString fieldToolTip(const channeldb::ChannelDatabase* db, const edit::RecordField& field);

}  // namespace bv3::editor
