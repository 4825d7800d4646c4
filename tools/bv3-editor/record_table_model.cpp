#include "record_table_model.h"

#include "channeldb/channel_database.h"
#include "edit/receiver_text.h"

#include <cstring>

namespace bv3::editor {

namespace {

QString latin(const std::string& text) {
    return QString::fromStdString(edit::utf8FromReceiverText(text));
}

using Db = channeldb::ChannelDatabase;

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

}  // namespace

RecordTableModel::RecordTableModel(std::function<int(const Db&)> rows, std::vector<RecordColumn> columns, QObject* parent)
    : DatabaseTableModel(parent), rows_(std::move(rows)), columns_(std::move(columns)) {}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!showsRow(index)) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return columns_[static_cast<std::size_t>(index.column())].value(*database(), index.row());
    }
    return {};
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
        return column.toolTip;
    }
    return {};
}

Qt::ItemFlags RecordTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (columns_[static_cast<std::size_t>(index.column())].editable) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool RecordTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !value.isValid() ||
        !columns_[static_cast<std::size_t>(index.column())].editable) {
        return false;
    }
    emit editRequested(index.row(), index.column(), value);
    return true;
}

RecordTableModel* makeProviderModel(QObject* parent) {
    return new RecordTableModel(
        [](const Db& db) { return int{db.providerCount}; },
        {{QObject::tr("Row"), QObject::tr("The provider's row, as services refer to it"),
          [](const Db&, int row) { return QVariant(row); }},
         {QObject::tr("Name"), QObject::tr("The provider's name (F2 to rename)"),
          [](const Db& db, int row) { return QVariant(latin(db.providers[row].provName)); }, true},
         {QObject::tr("Services"), QObject::tr("How many services name this provider"),
          [](const Db& db, int row) { return QVariant(servicesWith(db, &channeldb::ServiceRecord::providerIndex, row)); }}},
        parent);
}

RecordTableModel* makeNetworkModel(QObject* parent) {
    return new RecordTableModel(
        [](const Db& db) { return int{db.networkCount}; },
        {{QObject::tr("Row"), QObject::tr("The network's row, as transport streams refer to it"),
          [](const Db&, int row) { return QVariant(row); }},
         {QObject::tr("Name"), QObject::tr("The network's name (F2 to rename)"),
          [](const Db& db, int row) { return QVariant(latin(db.networks[row].netName)); }, true},
         {QObject::tr("Word A"), QObject::tr("Raw network word A"),
          [](const Db& db, int row) { return QVariant(db.networks[row].netWordA); }},
         {QObject::tr("Word B"), QObject::tr("Raw network word B"),
          [](const Db& db, int row) { return QVariant(db.networks[row].netWordB); }}},
        parent);
}

RecordTableModel* makeTransportStreamModel(QObject* parent) {
    using T = channeldb::TsRecord;
    auto number = [](auto T::*field) {
        return [field](const Db& db, int row) { return QVariant(static_cast<qlonglong>(db.transportStreams[row].*field)); };
    };
    return new RecordTableModel(
        [](const Db& db) { return int{db.tsCount}; },
        {{QObject::tr("Row"), QObject::tr("The transport stream's row, as services refer to it"),
          [](const Db&, int row) { return QVariant(row); }},
         {QObject::tr("Word C"), QObject::tr("TS word C (first column of the list)"), number(&T::tsWordC), true},
         {QObject::tr("Network"), QObject::tr("The row of its network"),
          [](const Db& db, int row) {
              const auto n = db.transportStreams[row].networkIndex;
              return QVariant(n < db.networkCount ? QStringLiteral("%1: %2").arg(n).arg(latin(db.networks[n].netName))
                                                  : QObject::tr("(row %1: none)").arg(n));
          }},
         {QObject::tr("Long A"), QObject::tr("TS number A (the frequency)"), number(&T::tsLongA), true},
         {QObject::tr("Long B"), QObject::tr("TS number B (the symbol rate)"), number(&T::tsLongB), true},
         {QObject::tr("Byte A"), QObject::tr("TS byte A"), number(&T::tsByteA), true},
         {QObject::tr("Byte B"), QObject::tr("TS byte B"), number(&T::tsByteB), true},
         {QObject::tr("Word A"), QObject::tr("TS word A"), number(&T::tsWordA), true},
         {QObject::tr("Word B"), QObject::tr("TS word B"), number(&T::tsWordB), true},
         {QObject::tr("Services"), QObject::tr("How many services are on this transport stream"),
          [](const Db& db, int row) { return QVariant(servicesWith(db, &channeldb::ServiceRecord::tsIndex, row)); }}},
        parent);
}

RecordTableModel* makeAntennaModel(QObject* parent) {
    using A = channeldb::AntennaRecord;
    // A position never set (its number all ones) shows as an empty row, not as zeros.
    auto number = [](auto A::*field) {
        return [field](const Db& db, int row) {
            const A& a = db.antennas[row];
            const auto value = static_cast<qlonglong>(a.*field);
            return a.antLong == 0xFFFFFFFFu && value == 0 ? QVariant(QString()) : QVariant(value);
        };
    };
    return new RecordTableModel(
        [](const Db&) { return int{channeldb::antennaCount}; },
        {{QObject::tr("Position"), QObject::tr("The antenna position 0..15"),
          [](const Db&, int row) { return QVariant(row); }},
         {QObject::tr("Name"), QObject::tr("The antenna's name (at most 16 characters)"),
          [](const Db& db, int row) {
              const auto& name = db.antennas[row].antName;
              return QVariant(QString::fromStdString(edit::utf8FromReceiverText(std::string_view(name.data(), strnlen(name.data(), name.size())))));
          }},
         {QObject::tr("Long"), QObject::tr("Antenna number (empty: not set)"),
          [](const Db& db, int row) {
              // An antenna position never set holds all ones; the user sees an empty cell.
              const auto value = db.antennas[row].antLong;
              return value == 0xFFFFFFFFu ? QVariant(QString()) : QVariant(static_cast<qlonglong>(value));
          },
          true},
         {QObject::tr("Word A"), QObject::tr("Antenna word A"), number(&A::antWordA), true},
         {QObject::tr("Word B"), QObject::tr("Antenna word B"), number(&A::antWordB), true},
         {QObject::tr("Byte A"), QObject::tr("Antenna byte A"), number(&A::antByteA), true},
         {QObject::tr("Byte B"), QObject::tr("Antenna byte B"), number(&A::antByteB), true},
         {QObject::tr("Byte C"), QObject::tr("Antenna byte C"), number(&A::antByteC), true},
         {QObject::tr("Byte D"), QObject::tr("Antenna byte D"), number(&A::antByteD), true}},
        parent);
}

}  // namespace bv3::editor
