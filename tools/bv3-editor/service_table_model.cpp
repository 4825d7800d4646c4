#include "service_table_model.h"

#include "channeldb/channel_database.h"
#include "edit/receiver_text.h"
#include "record_table_model.h"

#include <QColor>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace bv3::editor {

namespace {

QString latin(const std::string& text) {
    // Names are the receiver's 8-bit characters (ANSI code page); Latin-1 shows them and
    // gives the same bytes back.
    return QString::fromStdString(edit::utf8FromReceiverText(text));
}

}  // namespace

QString providerText(const channeldb::ChannelDatabase& db, std::size_t providerIndex) {
    if (providerIndex >= db.providerCount) {
        return QObject::tr("(row %1: none)").arg(providerIndex);
    }
    return latin(db.providers[providerIndex].provName);
}

QString transportStreamText(const channeldb::ChannelDatabase& db, std::size_t tsIndex) {
    if (tsIndex >= db.tsCount) {
        return QObject::tr("(row %1: none)").arg(tsIndex);
    }
    const auto& ts = db.transportStreams[tsIndex];
    return QStringLiteral("%1: %2 / %3").arg(tsIndex).arg(ts.tsLongA).arg(ts.tsLongB);
}

ServiceTableModel::ServiceTableModel(ServiceKind kind, QObject* parent) : DatabaseTableModel(parent), kind_(kind) {}

void ServiceTableModel::setMarks(QHash<std::size_t, RowMark> marks) {
    if (marks.isEmpty() && marks_.isEmpty()) {
        return;
    }
    marks_ = std::move(marks);
    if (shownRows() > 0) {
        emit dataChanged(index(0, 0), index(shownRows() - 1, ColumnCount - 1), {Qt::BackgroundRole, Qt::ToolTipRole});
    }
}

int ServiceTableModel::rowsIn(const channeldb::ChannelDatabase& db) const {
    return kind_ == ServiceKind::Video ? db.videoCount : db.audioCount;
}

std::size_t ServiceTableModel::firstRow() const {
    return (kind_ == ServiceKind::Audio && database() != nullptr) ? database()->videoCount : 0;
}

int ServiceTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ServiceTableModel::data(const QModelIndex& index, int role) const {
    if (!showsRow(index)) {
        return {};
    }
    const auto& s = database()->services[absoluteRow(index.row())];
    if (role == filterRole) {
        return latin(s.svcName) + '\n' + providerText(*database(), s.providerIndex) + '\n' +
               transportStreamText(*database(), s.tsIndex);
    }
    if (role == choicesRole) {
        QStringList choices;
        if (index.column() == Provider) {
            for (std::size_t p = 0; p < database()->providerCount; ++p) {
                choices << QStringLiteral("%1: %2").arg(p).arg(providerText(*database(), p));
            }
        } else if (index.column() == TransportStream) {
            for (std::size_t t = 0; t < database()->tsCount; ++t) {
                choices << transportStreamText(*database(), t);
            }
        }
        return choices;
    }
    // A number is edited as text: the field table checks its range, and an empty channel number
    // is "none" (a spin box would clamp instead).
    if (role == Qt::EditRole && (index.column() == ChannelNumber || index.column() == Value)) {
        return index.column() == Value ? QString::number(s.svcNibble)
                                       : (s.channelNumber == 0 ? QString() : QString::number(s.channelNumber));
    }
    if (role == Qt::EditRole && (index.column() == Provider || index.column() == TransportStream)) {
        return static_cast<qulonglong>(index.column() == Provider ? s.providerIndex : s.tsIndex);
    }
    if (role == Qt::CheckStateRole) {
        switch (index.column()) {
        case Flag3:
            return s.svcFlag3 != 0 ? Qt::Checked : Qt::Unchecked;
        case Flag1:
            return s.svcFlag1 != 0 ? Qt::Checked : Qt::Unchecked;
        case Flag0:
            return s.svcFlag0 != 0 ? Qt::Checked : Qt::Unchecked;
        default:
            return {};
        }
    }
    if (index.column() == Favourites && (role == Qt::DisplayRole || role == Qt::ToolTipRole)) {
        const std::size_t row = absoluteRow(index.row());
        const std::uint8_t lists = row < favouriteLists_.size() ? favouriteLists_[row] : 0;
        return role == Qt::DisplayRole ? favouriteListsText(lists) : favouriteListsToolTip(kind_, lists);
    }
    if (role == Qt::BackgroundRole || role == Qt::ToolTipRole) {
        const auto mark = marks_.constFind(absoluteRow(index.row()));
        if (mark == marks_.constEnd()) {
            return {};
        }
        if (role == Qt::ToolTipRole) {
            return mark->text;
        }
        return mark->error ? QColor(255, 205, 205) : QColor(255, 240, 190);
    }
    if (role == Qt::TextAlignmentRole) {
        const int c = index.column();
        return (c == Name || c == Provider || c == TransportStream || c == Favourites) ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                                    : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    switch (index.column()) {
    case Position:
        return index.row() + 1;
    case ChannelNumber:
        return s.channelNumber == 0 && role == Qt::DisplayRole ? QVariant(QString()) : QVariant(s.channelNumber);
    case Name:
        return latin(s.svcName);
    case Provider:
        return providerText(*database(), s.providerIndex);
    case TransportStream:
        return transportStreamText(*database(), s.tsIndex);
    case Value:
        return s.svcNibble;
    case WordA:
        return s.svcWordA;
    case WordB:
        return s.svcWordB;
    case WordC:
        return s.svcWordC;
    case WordD:
        return s.svcWordD;
    case WordE:
        return s.svcWordE;
    case WordF:
        return s.svcWordF;
    case WordG:
        return s.svcWordG;
    case ByteA:
        return s.svcByteA;
    case ByteB:
        return s.svcByteB;
    default:
        return {};
    }
}

std::optional<std::size_t> ServiceTableModel::fieldOf(int column) {
    // The window's order of the columns; what each holds is the field table's.
    static const char* const ids[ColumnCount] = {nullptr,    "channelNumber", "svcName",  "providerIndex", "tsIndex",
                                                 "svcFlag3", "svcFlag1",      "svcFlag0", "svcNibble",     nullptr,
                                                 "svcWordA",
                                                 "svcWordB", "svcWordC",      "svcWordD", "svcWordE",      "svcWordF",
                                                 "svcWordG", "svcByteA",      "svcByteB"};
    if (column < 0 || column >= ColumnCount || ids[column] == nullptr) {
        return std::nullopt;
    }
    return edit::fieldIndex(edit::RecordType::Service, ids[column]);
}

QVariant ServiceTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) {
        return {};
    }
    if (section == Favourites) {
        if (role == Qt::DisplayRole) {
            return tr("Fav");
        }
        return role == Qt::ToolTipRole ? tr("The favourite lists of this group that hold the service (the lists of the "
                                            "Favourites tab)")
                                       : QVariant();
    }
    const auto field = fieldOf(section);
    if (!field) {
        if (role == Qt::DisplayRole) {
            return QStringLiteral("#");
        }
        return role == Qt::ToolTipRole ? tr("Position in the receiver's list") : QVariant();
    }
    const edit::RecordField& f = edit::recordFields(edit::RecordType::Service)[*field];
    if (role == Qt::DisplayRole) {
        return tr(std::string(f.title).c_str());
    }
    if (role == Qt::ToolTipRole) {
        return fieldToolTip(database(), f);
    }
    return {};
}

Qt::ItemFlags ServiceTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (const auto field = fieldOf(index.column())) {
        const edit::RecordField& rf = edit::recordFields(edit::RecordType::Service)[*field];
        if (rf.settable) {
            f |= rf.form == edit::FieldForm::Flag ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
        }
    }
    return f;
}

bool ServiceTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    // A view resetting cells after a drag hands in an empty value: never an edit.
    const auto field = fieldOf(index.column());
    if (!showsRow(index) || !field || !value.isValid() || !(flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable))) {
        return false;
    }
    if (role == Qt::CheckStateRole && (flags(index) & Qt::ItemIsUserCheckable)) {
        const bool on = value.toInt() == Qt::Checked;
        emit fieldEdited(absoluteRow(index.row()), *field, on ? QStringLiteral("1") : QStringLiteral("0"));
        return true;
    }
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    emit fieldEdited(absoluteRow(index.row()), *field, value.toString());
    return true;
}

QStringList ServiceTableModel::mimeTypes() const {
    return {QString::fromLatin1(serviceRowsMimeType)};
}

QMimeData* ServiceTableModel::mimeData(const QModelIndexList& indexes) const {
    QList<std::size_t> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && !rows.contains(absoluteRow(index.row()))) {
            rows.append(absoluteRow(index.row()));
        }
    }
    std::sort(rows.begin(), rows.end());
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << static_cast<qint32>(kind_) << static_cast<qint32>(rows.size());
    for (std::size_t row : rows) {
        out << static_cast<quint32>(row);
    }
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(serviceRowsMimeType), bytes);
    return data;
}

bool ServiceTableModel::decode(const QMimeData* data, QList<std::size_t>* rows) const {
    if (data == nullptr || !data->hasFormat(QString::fromLatin1(serviceRowsMimeType)) || database() == nullptr) {
        return false;
    }
    QDataStream in(data->data(QString::fromLatin1(serviceRowsMimeType)));
    qint32 kind = -1;
    qint32 n = 0;
    in >> kind >> n;
    // Rows of the other kind cannot join this list: a video service is never an audio one.
    if (kind != static_cast<qint32>(kind_) || n <= 0) {
        return false;
    }
    const std::size_t first = firstRow();
    const std::size_t end = first + static_cast<std::size_t>(rowsIn(*database()));
    for (qint32 i = 0; i < n; ++i) {
        quint32 row = 0;
        in >> row;
        if (in.status() != QDataStream::Ok || row < first || row >= end) {
            return false;
        }
        rows->append(row);
    }
    return true;
}

bool ServiceTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                        const QModelIndex&) const {
    QList<std::size_t> rows;
    return action == Qt::MoveAction && decode(data, &rows);
}

bool ServiceTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                     const QModelIndex& parent) {
    QList<std::size_t> rows;
    if (action != Qt::MoveAction || !decode(data, &rows)) {
        return false;
    }
    // Dropped onto a row: before it; between rows: at row; on empty space: at the end.
    const int position = parent.isValid() ? parent.row() : (row >= 0 ? row : rowCount());
    emit moveRequested(rows, std::min(position, rowCount()));
    return true;
}

}  // namespace bv3::editor
