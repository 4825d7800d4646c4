#pragma once
// Output files appear whole or not at all: the bytes go to a temporary beside the target,
// which is renamed over the target only once it is completely written.

#include <cstddef>
#include <span>
#include <string>

namespace bv3::channeldb {

// Throws ConversionError naming path and the reason; the target is then left as it was and
// no temporary remains.
void writeFileReplacing(const std::string& path, std::span<const std::byte> bytes);

// The whole content of a file, or at most maxBytes of it. Throws ConversionError naming path.
std::string readFileBytes(const std::string& path, std::size_t maxBytes);

}  // namespace bv3::channeldb
