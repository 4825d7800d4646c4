#pragma once
// Small helpers the main window's files share: texts of the receiver's names, the core's
// group of a tab, and where a finding points in the window's terms.

#include "counted_text.h"
#include "findings_dock.h"
#include "service_table_model.h"

#include "edit/channel_list.h"
#include "edit/receiver_text.h"
#include "edit/service_operations.h"

#include <QFileInfo>
#include <QString>

namespace bv3::editor {

inline QString qs(const std::string& text) {
    return QString::fromStdString(edit::utf8FromReceiverText(text));
}

inline edit::ServiceGroup groupOf(ServiceKind kind) {
    return kind == ServiceKind::Video ? edit::ServiceGroup::Video : edit::ServiceGroup::Audio;
}

// A name typed without a suffix gets the one of the format chosen in the dialog.
inline QString withFormatSuffix(const QString& path, const QString& filter) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) {
        return path;
    }
    return path + (filter.contains("v3q") ? ".v3q" : ".qnf");
}

// The row of the window a finding's place is shown at.
inline FindingTarget targetOf(const edit::ListPlace& place) {
    FindingTarget t;
    if (!place.table) {
        return t;
    }
    t.row = static_cast<int>(place.row);
    switch (*place.table) {
    case edit::ListTable::Services:
        t.table = FindingTarget::Table::Service;
        break;
    case edit::ListTable::TransportStreams:
        t.table = FindingTarget::Table::TransportStream;
        break;
    case edit::ListTable::Networks:
        t.table = FindingTarget::Table::Network;
        break;
    case edit::ListTable::Providers:
        t.table = FindingTarget::Table::Provider;
        break;
    case edit::ListTable::Favourites:
        t.table = FindingTarget::Table::Favourite;
        t.group = place.group;
        t.list = place.list;
        break;
    case edit::ListTable::Menu:
    case edit::ListTable::Antennas:
        t.table = FindingTarget::Table::Menu;
        break;
    }
    return t;
}

}  // namespace bv3::editor
