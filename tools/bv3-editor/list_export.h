#pragma once
// The list for people outside the editor: a CSV table of the services (for a spreadsheet) and
// a printable HTML page (what Print prints).

#include <QString>

namespace bv3::channeldb {
class ChannelDatabase;
}

namespace bv3::editor {

// One line per service: kind, position, channel number, name, provider, TS, flags, value.
// Fields holding a comma, a quote or a line break are quoted, quotes doubled.
QString servicesCsv(const channeldb::ChannelDatabase& db);
// A page with a table per kind and the favourite lists.
QString servicesHtml(const channeldb::ChannelDatabase& db, const QString& title);

}  // namespace bv3::editor
