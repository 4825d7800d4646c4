#pragma once
// The raw image writer: lays the database out as the receiver holds it, as the two plain
// images the download build needs (Config.raw, 8192 bytes; Service.raw, 0x50000 or 0x60000).
// Throws ConversionError for a database its model cannot represent (more services than the
// banks hold, list slot overflow, numbered services colliding with unnumbered slots) and for a
// modelCode above 5.

#include "channeldb/channel_database.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bv3::channeldb {

std::vector<std::uint8_t> buildConfigImage(const ChannelDatabase& db, std::uint8_t configVariant,
                                           std::uint8_t modelCode);
std::vector<std::uint8_t> buildServiceImage(const ChannelDatabase& db, std::uint8_t modelCode);

// Writes the bytes to a temporary beside path and renames it over path: a reader never sees a
// partial image. Throws safewrite::SafeWriteError naming the file on failure.
void writeImageFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace bv3::channeldb
