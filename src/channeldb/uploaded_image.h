#pragma once
// The receiver memory as an upload leaves it in a file: the 8192-byte EEPROM (configuration
// area) followed by 0x60000 bytes of flash from receiver address 0xB30A0000, every byte stored
// complemented.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace bv3::channeldb {

inline constexpr std::size_t uploadedImageSize = 401408;
inline constexpr std::uint32_t uploadedFlashBase = 0xB30A0000;

// The uploaded file of a receiver holding the two plain images. Bytes no image covers are
// erased memory (0xFF), i.e. 0x00 in the file. Throws ConversionError for a modelCode above 5
// or images of the wrong size.
std::vector<std::uint8_t> composeUploadedImage(std::span<const std::uint8_t> configImage,
                                               std::span<const std::uint8_t> serviceImage, std::uint8_t modelCode);

// Places the two plain images into plain receiver memory (uploadedImageSize bytes, EEPROM
// first, then flash), as a download would leave them. Other bytes are not touched.
void applyImagesToMemory(std::span<std::uint8_t> memory, std::span<const std::uint8_t> configImage,
                         std::span<const std::uint8_t> serviceImage, std::uint8_t modelCode);

}  // namespace bv3::channeldb
