#pragma once
// The simulated receiver's memory: an 8 KB EEPROM at address 0 and the flash area from
// 0x0A0000 to 0x0FFFFF. Kept apart from the protocol so that later work can apply a
// downloaded image to it.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bv3::stbsim {

class ReceiverMemory {
public:
    static constexpr std::uint32_t eepromSize = 0x2000;
    static constexpr std::uint32_t flashBase = 0x0A0000;
    static constexpr std::uint32_t flashSize = 0x60000;

    // Erased memory: every byte 0xFF.
    ReceiverMemory();

    // A made-up but address-dependent pattern, so that a misplaced block shows.
    static ReceiverMemory samplePattern();

    // Takes the memory from an image in the uploaded form (EEPROM block, then flash; every
    // byte complemented). Throws std::runtime_error naming the file if it is not 401,408 bytes.
    static ReceiverMemory fromUploadedImageFile(const std::string& path);
    static ReceiverMemory fromUploadedImage(std::span<const std::uint8_t> image);

    // The memory as an upload should leave it in a file.
    std::vector<std::uint8_t> uploadedImage() const;

    // A byte at a receiver address; addresses outside both areas read as erased (0xFF).
    std::uint8_t read(std::uint32_t address) const;
    void write(std::uint32_t address, std::uint8_t value);

    std::span<const std::uint8_t> eeprom() const { return eeprom_; }
    std::span<const std::uint8_t> flash() const { return flash_; }

private:
    std::vector<std::uint8_t> eeprom_;
    std::vector<std::uint8_t> flash_;
};

}  // namespace bv3::stbsim
