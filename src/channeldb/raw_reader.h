#pragma once
// The raw image reader: turns an image uploaded from the receiver (every byte complemented)
// into the channel database. Counts are clipped to what the tables, the list slots and the
// image hold; bytes the file does not reach read as zero. Never reads outside `file`.

#include "channeldb/channel_database.h"

#include <cstdint>
#include <span>

namespace bv3::channeldb {

// db must be freshly created. Throws ConversionError for a modelCode above 5.
void readRawImage(std::span<const std::uint8_t> file, std::uint8_t configVariant, std::uint8_t modelCode,
                  ChannelDatabase& db);

}  // namespace bv3::channeldb
