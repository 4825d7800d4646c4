#pragma once
// The QNF text writer: the channel list as the host's editor reads it.

#include "channeldb/channel_database.h"
#include "channeldb/qnf_lines.h"

#include <string>

namespace bv3::channeldb {

// The whole file's bytes (CR LF line ends), exactly as the database holds it, except for names
// a QNF line cannot carry (qnf_names.h: a TAB, CR, LF or Ctrl-Z becomes '?', a section tag
// "[TS]" becomes "(TS)").
std::string formatQnf(const ChannelDatabase& db);
// The lines formatQnf(db) puts each record on, from the counts alone (no text is made).
QnfLineMap qnfLinesOf(const ChannelDatabase& db);
// Writes formatQnf(db) through a temporary beside path that replaces path only when complete.
void writeQnfFile(const std::string& path, const ChannelDatabase& db);

}  // namespace bv3::channeldb
