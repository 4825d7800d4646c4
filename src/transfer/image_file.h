#pragma once
// Writes a file so that it is either complete or untouched: the bytes go to a temporary file
// beside the target, which is renamed over it only once every byte is on disk.

#include <cstdint>
#include <span>
#include <string>

namespace bv3::transfer {

// Throws std::runtime_error naming the file and the reason; leaves no temporary behind.
void writeFileCompletely(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace bv3::transfer
