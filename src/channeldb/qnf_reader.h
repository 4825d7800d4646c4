#pragma once
// The QNF text reader: fills a zeroed channel database from a channel list edited by hand.
// Lenient where the receiver software is lenient (missing columns read as "0", some columns
// fall back to defaults), strict elsewhere. Throws CorruptQnfHeader when the first line is not
// the header, and ConversionError naming the file, line and column for a value that is not a
// number or a line that would exceed a table.

#include "channeldb/channel_database.h"

#include <istream>
#include <string>

namespace bv3::channeldb {

// db must be freshly created (zeroed). fileName only names the text in messages.
void readQnf(std::istream& in, ChannelDatabase& db, const std::string& fileName);
void readQnfFile(const std::string& path, ChannelDatabase& db);

}  // namespace bv3::channeldb
