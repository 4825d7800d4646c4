// The favourite column of the service lists: which favourite lists hold each service. The
// lists are computed by the editing core once per change; here they only become text.
#include "service_table_model.h"

#include "channeldb/channel_database.h"

#include <QStringList>

namespace bv3::editor {

namespace {

QStringList listNumbers(std::uint8_t lists) {
    QStringList numbers;
    for (int l = 0; l < static_cast<int>(channeldb::favouriteListsPerGroup); ++l) {
        if ((lists >> l) & 1u) {
            numbers << QString::number(l);
        }
    }
    return numbers;
}

}  // namespace

QString favouriteListsText(std::uint8_t lists) {
    const QStringList numbers = listNumbers(lists);
    // A bare "0" would read as a count of none; the star says it is a favourite list's number.
    return numbers.isEmpty() ? QString() : QChar(0x2605) + QStringLiteral(" ") + numbers.join(QStringLiteral(", "));
}

QString favouriteListsToolTip(ServiceKind kind, std::uint8_t lists) {
    QStringList numbers = listNumbers(lists);
    if (numbers.isEmpty()) {
        return {};
    }
    const QString group = kind == ServiceKind::Video ? QObject::tr("video") : QObject::tr("audio");
    if (numbers.size() == 1) {
        return QObject::tr("In %1 favourite list %2").arg(group, numbers.front());
    }
    const QString last = numbers.takeLast();
    return QObject::tr("In %1 favourite lists %2 and %3").arg(group, numbers.join(QStringLiteral(", ")), last);
}

void ServiceTableModel::setFavouriteLists(std::vector<std::uint8_t> lists) {
    if (lists == favouriteLists_) {
        return;
    }
    favouriteLists_ = std::move(lists);
    if (shownRows() > 0) {
        emit dataChanged(index(0, Favourites), index(shownRows() - 1, Favourites), {Qt::DisplayRole, Qt::ToolTipRole});
    }
}

}  // namespace bv3::editor
