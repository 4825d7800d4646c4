#include "record_table_model.h"

#include "channeldb/channel_database.h"
#include "edit/receiver_text.h"

namespace bv3::editor {

namespace {

using Db = channeldb::ChannelDatabase;
using edit::RecordType;

QString latin(const std::string& text) {
    return QString::fromStdString(edit::utf8FromReceiverText(text));
}

// How many services refer to each provider or TS: shown so that a person sees what a
// delete would have to hand over.
int servicesWith(const Db& db, std::uint32_t channeldb::ServiceRecord::*field, int row) {
    int n = 0;
    for (std::size_t i = 0; i < db.serviceCount(); ++i) {
        if (db.services[i].*field == static_cast<std::uint32_t>(row)) {
            ++n;
        }
    }
    return n;
}

QString nameOfRow(const Db& db, RecordType table, std::uint64_t row) {
    if (row >= edit::recordRows(db, table)) {
        return QObject::tr("(row %1: none)").arg(row);
    }
    const std::size_t name = edit::fieldIndex(table, table == RecordType::Network ? "netName" : "provName");
    return QStringLiteral("%1: %2").arg(row).arg(latin(edit::textOf(db, table, static_cast<std::size_t>(row), name)));
}

// The columns of a type's fields, the ones the text carries (and the network's raw words,
// which are all a network row holds besides its name).
std::vector<RecordColumn> fieldColumns(RecordType type, bool rawToo) {
    std::vector<RecordColumn> columns;
    const auto fields = edit::recordFields(type);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].inText || rawToo) {
            columns.push_back({i, QObject::tr(std::string(fields[i].title).c_str()), {}, {}});
        }
    }
    return columns;
}

RecordColumn rowColumn(const QString& title, const QString& tip) {
    return {std::nullopt, title, tip, [](const Db&, int row) { return QVariant(row); }};
}

RecordColumn usersColumn(const QString& tip, std::uint32_t channeldb::ServiceRecord::*field) {
    return {std::nullopt, QObject::tr("Services"), tip,
            [field](const Db& db, int row) { return QVariant(servicesWith(db, field, row)); }};
}

}  // namespace

QString fieldToolTip(const Db* db, const edit::RecordField& field) {
    QString tip = QObject::tr(std::string(field.meaning).c_str());
    if (db != nullptr) {
        tip += QStringLiteral(" (%1)").arg(QString::fromStdString(edit::rangeText(*db, field)));
    }
    if (field.settable) {
        tip += field.form == edit::FieldForm::Flag ? QObject::tr("; click to set or clear")
                                                   : QObject::tr("; F2 or double-click to change");
    }
    return tip;
}

RecordTableModel::RecordTableModel(RecordType type, std::vector<RecordColumn> columns, QObject* parent)
    : DatabaseTableModel(parent), type_(type), columns_(std::move(columns)) {}

int RecordTableModel::rowsIn(const Db& db) const {
    return static_cast<int>(edit::recordRows(db, type_));
}

int RecordTableModel::columnOf(std::string_view fieldId) const {
    const std::size_t field = edit::fieldIndex(type_, fieldId);
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (columns_[c].field == field) {
            return static_cast<int>(c);
        }
    }
    return -1;
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordTableModel::fieldValue(const edit::RecordField& field, std::size_t index, int row, int role) const {
    const Db& db = *database();
    const auto r = static_cast<std::size_t>(row);
    if (field.form == edit::FieldForm::Text) {
        return latin(edit::textOf(db, type_, r, index));
    }
    const std::uint64_t value = edit::numberOf(db, type_, r, index);
    if (field.form == edit::FieldForm::Row && role == Qt::DisplayRole) {
        return nameOfRow(db, *field.rowOf, value);
    }
    // A field at its blank value (an antenna never set) shows empty, and so do the other
    // numbers of such an antenna, which mean nothing while it is not set.
    if (field.blank && value == *field.blank) {
        return QString();
    }
    if (type_ == RecordType::Antenna && field.form == edit::FieldForm::Number && value == 0 &&
        db.antennas[r].antLong == 0xFFFFFFFFu) {
        return QString();
    }
    // Edited as text: the field table checks the range (a spin box would clamp instead).
    return role == Qt::EditRole ? QVariant(QString::number(value)) : QVariant(static_cast<qulonglong>(value));
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!showsRow(index) || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    const RecordColumn& column = columns_[static_cast<std::size_t>(index.column())];
    if (!column.field) {
        return column.value(*database(), index.row());
    }
    return fieldValue(edit::recordFields(type_)[*column.field], *column.field, index.row(), role);
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    const auto& column = columns_[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) {
        return column.title;
    }
    if (role == Qt::ToolTipRole) {
        return column.field ? fieldToolTip(database(), edit::recordFields(type_)[*column.field]) : column.toolTip;
    }
    return {};
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const auto& column = columns_[static_cast<std::size_t>(index.column())];
    if (column.field && edit::recordFields(type_)[*column.field].settable) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool RecordTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !showsRow(index) || !value.isValid() || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    emit fieldEdited(index.row(), *columns_[static_cast<std::size_t>(index.column())].field, value.toString());
    return true;
}

RecordTableModel* makeProviderModel(QObject* parent) {
    auto columns = fieldColumns(RecordType::Provider, false);
    columns.insert(columns.begin(), rowColumn(QObject::tr("Row"), QObject::tr("The provider's row, as services refer to it")));
    columns.push_back(usersColumn(QObject::tr("How many services name this provider"), &channeldb::ServiceRecord::providerIndex));
    return new RecordTableModel(RecordType::Provider, std::move(columns), parent);
}

RecordTableModel* makeNetworkModel(QObject* parent) {
    auto columns = fieldColumns(RecordType::Network, true);
    columns.insert(columns.begin(),
                   rowColumn(QObject::tr("Row"), QObject::tr("The network's row, as transport streams refer to it")));
    return new RecordTableModel(RecordType::Network, std::move(columns), parent);
}

RecordTableModel* makeTransportStreamModel(QObject* parent) {
    auto columns = fieldColumns(RecordType::TransportStream, false);
    columns.insert(columns.begin(),
                   rowColumn(QObject::tr("Row"), QObject::tr("The transport stream's row, as services refer to it")));
    columns.push_back(
        usersColumn(QObject::tr("How many services are on this transport stream"), &channeldb::ServiceRecord::tsIndex));
    return new RecordTableModel(RecordType::TransportStream, std::move(columns), parent);
}

RecordTableModel* makeAntennaModel(QObject* parent) {
    auto columns = fieldColumns(RecordType::Antenna, false);
    // The name first, as a person looks for an antenna by it.
    std::rotate(columns.begin(), columns.end() - 1, columns.end());
    columns.insert(columns.begin(), rowColumn(QObject::tr("Position"), QObject::tr("The antenna position 0..15")));
    return new RecordTableModel(RecordType::Antenna, std::move(columns), parent);
}

}  // namespace bv3::editor
