#pragma once
// Reading the conversions' input files. Writing goes through safe_write/safe_write.h.

#include <cstddef>
#include <span>
#include <string>

namespace bv3::channeldb {

// The whole content of a file, or at most maxBytes of it. Throws ConversionError naming path.
std::string readFileBytes(const std::string& path, std::size_t maxBytes);

}  // namespace bv3::channeldb
