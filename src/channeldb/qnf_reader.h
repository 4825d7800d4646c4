#pragma once
// The QNF text reader: fills a zeroed channel database from a channel list edited by hand.
// Lenient where the receiver software is lenient (missing columns read as "0", some columns
// fall back to defaults), strict elsewhere. Throws CorruptQnfHeader when the first line is not
// the header, IncompleteQnf when the list ends before its [MENU] line and menu values (it was
// cut off), and ConversionError naming the file, line and column for a value that is not a
// number or a line that would exceed a table.

#include "channeldb/channel_database.h"
#include "channeldb/check_findings.h"

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace bv3::channeldb {

// The largest file a channel list can be. A list of full tables has 6,825 lines (the header,
// 7 section tags, 16 antennas, 1,000 TS, 500 networks, 500 providers, 800 favourite entries,
// 4,000 services and the menu values); at 1 KiB a line, five times the longest line the
// system writes, that is under 7 MiB. A larger file is not a channel list, and is refused
// before it is read rather than after gigabytes of it were.
inline constexpr std::size_t maxQnfFileSize = 8u * 1024u * 1024u;

// Whether a list must end with its [MENU] line and menu values. Every reader of a whole list
// requires them (a list without them was cut off); only a reader of a fragment, such as a
// test of one section, does not.
enum class MenuLine { required, optional };

// A number the text gives that its field cannot hold: the reader keeps the low-order bits
// (stored lists and peers rely on that), so the receiver gets another value than the text says.
struct NumberOutOfRange {
    std::size_t line = 0;    // from 1
    std::size_t column = 0;  // from 1, as the reader counts TAB-separated columns
    std::string text;        // the number as written (quoted for a message)
    std::string range;       // what the field holds: "0 to 65535"
    std::string stored;      // what the field, and so the receiver, gets
};

// The error finding for one such number: "line 12, column 2: 70000 does not fit ...".
Finding outOfRangeFinding(const NumberOutOfRange& number);

// db must be freshly created (zeroed). fileName only names the text in messages. Reads at
// most maxQnfFileSize bytes: a longer stream is refused (ConversionError). Each number that
// does not fit its field is added to outOfRange when it is given.
void readQnf(std::istream& in, ChannelDatabase& db, const std::string& fileName,
             MenuLine menuLine = MenuLine::required, std::vector<NumberOutOfRange>* outOfRange = nullptr);
void readQnfFile(const std::string& path, ChannelDatabase& db);

// Throws ConversionError naming the file and both sizes when the file is larger than
// maxQnfFileSize; for a caller that reads the list through a stream of its own.
void refuseOversizedQnfFile(const std::string& path);

// The text of a channel list file, refused (ConversionError naming the file and the bound)
// when the file is larger than maxQnfFileSize, before any of it is read.
std::string readQnfText(const std::string& path);

}  // namespace bv3::channeldb
