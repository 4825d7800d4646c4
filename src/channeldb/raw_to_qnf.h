#pragma once
// RawToQnf: an uploaded raw image file in, a QNF channel list file out.

#include <cstdint>
#include <string>

namespace bv3::channeldb {

// Throws ConversionError naming the file and the reason when the raw file cannot be read, the
// QNF file cannot be written or modelCode is above 5; the QNF file is then left as it was.
void rawToQnf(const std::string& rawPath, const std::string& qnfPath, std::uint8_t configVariant,
              std::uint8_t modelCode);

}  // namespace bv3::channeldb
