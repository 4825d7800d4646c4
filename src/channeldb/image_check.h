#pragma once
// Integrity checks of a file an upload from the receiver left: every checksum, marker, list
// count and pointer the receiver relies on. Reading such a file (RawToQnf) checks none of
// them, so a damaged upload would otherwise turn silently into a wrong channel list.

#include "channeldb/check_findings.h"

#include <cstdint>
#include <span>

namespace bv3::channeldb {

// Checks the uploaded file (every byte stored complemented) under the layout of modelCode and
// the configuration layout of configVariant. Findings name the file offset of the damaged
// field; a name the channel list made of the image cannot carry is no damage of the image,
// and its warning names the record's place in that list instead. Never reads outside file; a short file is itself a finding and reads as erased
// memory beyond its end. Throws ConversionError for a modelCode above 5.
CheckReport checkUploadedImage(std::span<const std::uint8_t> file, std::uint8_t configVariant, std::uint8_t modelCode);

}  // namespace bv3::channeldb
