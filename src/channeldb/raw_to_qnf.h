#pragma once
// RawToQnf: an uploaded raw image file in, a QNF channel list file out.

#include "channeldb/check_findings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bv3::channeldb {

// Throws ConversionError naming the file and the reason when the raw file cannot be read, the
// QNF file cannot be written or modelCode is above 5; the QNF file is then left as it was.
// Returns the names the list could not carry as they were (qnf_names.h), one warning each.
std::vector<Finding> rawToQnf(const std::string& rawPath, const std::string& qnfPath, std::uint8_t configVariant,
              std::uint8_t modelCode);

}  // namespace bv3::channeldb
