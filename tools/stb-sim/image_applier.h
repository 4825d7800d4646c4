#pragma once
// Applies a received download image to the simulated receiver's memory, as the receiver's
// loader does after a download: every block goes to its flash address, in the image's order.
//
// The receiver's boot flash keeps the settings at 0 and a second copy at 0x2000, and loads
// its EEPROM from them; the simulator has no boot flash, so both copies land in the 8 KB
// EEPROM (address modulo 0x2000), where an upload reads the settings back. The service area
// is the flash from 0x0A0000 to 0x0FFFFF. An image with any block elsewhere is refused whole.

#include "stb-sim/receiver_memory.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace bv3::stbsim {

// The image is damaged or does not fit this receiver; the memory was left unchanged.
class ImageRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct AppliedBlock {
    std::uint32_t address = 0;
    std::uint32_t length = 0;
    std::string target;  // "EEPROM" or "flash"
};

// Decodes the image with the download-image reader and writes its blocks into memory.
// Throws ImageRefused, naming the reason, when the image is damaged or a block lies outside
// the receiver's memory; the memory is then untouched (all blocks are checked first).
std::vector<AppliedBlock> applyDownloadImage(ReceiverMemory& memory, std::span<const std::uint8_t> image);

}  // namespace bv3::stbsim
