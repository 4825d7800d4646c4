#pragma once
// Checks of a channel list before a build: what the receiver would refuse or misread, what
// the raw writer cannot represent for a model, and what the build would change (names cut to
// the receiver's name fields, favourite lists the model does not have).

#include "channeldb/channel_database.h"
#include "channeldb/check_findings.h"
#include "channeldb/qnf_lines.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bv3::channeldb {

// Checks a database the QNF reader filled, for modelCode. Every finding carries the place of
// its record; where and the places a message names are its line when lines is given, else
// its row. Throws ConversionError for a modelCode above 5.
std::vector<Finding> checkChannelList(const ChannelDatabase& db, std::uint8_t modelCode,
                                      const QnfLineMap* lines = nullptr);

// Reads the text as the QNF reader does and checks it. A text the reader refuses (no header,
// a value that is not a number, a table overflow) is one error finding with the reader's
// message. fileName only names the text in messages.
CheckReport checkChannelListText(std::string_view text, std::uint8_t modelCode, const std::string& fileName);

// The same for a file; throws ConversionError naming the file when it cannot be read.
CheckReport checkChannelListFile(const std::string& path, std::uint8_t modelCode);

}  // namespace bv3::channeldb
