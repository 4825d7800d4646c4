#pragma once
// The video or the audio services of the open list as a table. It only shows the database
// and turns what a person does in the view (an edit in place, a drop) into requests; the main
// window hands them to the editing core, which alone changes the list.

#include <QHash>
#include <QList>

#include "database_table_model.h"

#include "edit/record_fields.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace bv3::channeldb {
class ChannelDatabase;
}

namespace bv3::editor {

enum class ServiceKind { Video = 0, Audio = 1 };

// The drag payload: the kind, then the absolute rows (video rows first, then audio rows).
inline constexpr char serviceRowsMimeType[] = "application/x-bv3-service-rows";

class ServiceTableModel final : public DatabaseTableModel {
    Q_OBJECT
public:
    enum Column {
        Position,
        ChannelNumber,
        Name,
        Provider,
        TransportStream,
        Flag3,
        Flag1,
        Flag0,
        Value,
        Favourites,  // the favourite lists of the service's group that hold it
        FirstRawColumn,
        WordA = FirstRawColumn,
        WordB,
        WordC,
        WordD,
        WordE,
        WordF,
        WordG,
        ByteA,
        ByteB,
        ColumnCount
    };

    explicit ServiceTableModel(ServiceKind kind, QObject* parent = nullptr);

    ServiceKind kind() const { return kind_; }
    // The findings about services, by absolute row: the rows are tinted and carry the text.
    struct RowMark {
        bool error = false;
        QString text;
    };
    void setMarks(QHash<std::size_t, RowMark> marks);
    // Per absolute row, the favourite lists that hold the service (bit l: list l), computed
    // once per change of the list (edit/favourite_membership.h) rather than per painted cell.
    void setFavouriteLists(std::vector<std::uint8_t> lists);

    // The first absolute row of this kind, and the absolute row of a table row.
    std::size_t firstRow() const;
    std::size_t absoluteRow(int tableRow) const { return firstRow() + static_cast<std::size_t>(tableRow); }

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }

    // The text the filter field looks at: name, provider and TS of a row.
    static constexpr int filterRole = Qt::UserRole + 1;
    // For the provider and TS cells: the rows a person may choose, "row: name", in row order.
    static constexpr int choicesRole = Qt::UserRole + 2;

    // The service field a column shows (edit/record_fields.h), if any.
    static std::optional<std::size_t> fieldOf(int column);

signals:
    // A person typed text into (or ticked) the cell of a field of the service at absoluteRow.
    void fieldEdited(std::size_t absoluteRow, std::size_t field, const QString& text);
    // A person dropped rows (absolute, any order) before the service at position (within
    // this kind; rowCount() for the end).
    void moveRequested(const QList<std::size_t>& absoluteRows, int position);

private:
    int rowsIn(const channeldb::ChannelDatabase& db) const override;
    bool decode(const QMimeData* data, QList<std::size_t>* rows) const;

    ServiceKind kind_;
    QHash<std::size_t, RowMark> marks_;
    std::vector<std::uint8_t> favouriteLists_;
};

// The favourite lists in a bit set (bit l: list l), as the favourites tab names them: "★ 0, 2",
// and the tooltip saying which lists of which group.
QString favouriteListsText(std::uint8_t lists);
QString favouriteListsToolTip(ServiceKind kind, std::uint8_t lists);

// Text of a table cell shared with the exports: a provider or TS cell.
QString providerText(const channeldb::ChannelDatabase& db, std::size_t providerIndex);
QString transportStreamText(const channeldb::ChannelDatabase& db, std::size_t tsIndex);

}  // namespace bv3::editor
