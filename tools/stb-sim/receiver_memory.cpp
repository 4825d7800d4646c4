#include "stb-sim/receiver_memory.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace bv3::stbsim {

namespace {
constexpr std::size_t uploadedSize = ReceiverMemory::eepromSize + ReceiverMemory::flashSize;
}

ReceiverMemory::ReceiverMemory() : eeprom_(eepromSize, 0xFF), flash_(flashSize, 0xFF) {}

ReceiverMemory ReceiverMemory::samplePattern() {
    ReceiverMemory memory;
    for (std::uint32_t i = 0; i < eepromSize; ++i) {
        memory.eeprom_[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8) + 0x11);
    }
    for (std::uint32_t i = 0; i < flashSize; ++i) {
        memory.flash_[i] = static_cast<std::uint8_t>(i * 13 + (i >> 8) * 3 + (i >> 12));
    }
    return memory;
}

ReceiverMemory ReceiverMemory::fromUploadedImage(std::span<const std::uint8_t> image) {
    if (image.size() != uploadedSize) {
        throw std::runtime_error("an uploaded image has " + std::to_string(uploadedSize) + " bytes, not " +
                                 std::to_string(image.size()));
    }
    ReceiverMemory memory;
    for (std::size_t i = 0; i < eepromSize; ++i) {
        memory.eeprom_[i] = static_cast<std::uint8_t>(~image[i]);
    }
    for (std::size_t i = 0; i < flashSize; ++i) {
        memory.flash_[i] = static_cast<std::uint8_t>(~image[eepromSize + i]);
    }
    return memory;
}

ReceiverMemory ReceiverMemory::fromUploadedImageFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error(path + ": cannot open the memory image");
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        return fromUploadedImage(bytes);
    } catch (const std::runtime_error& failure) {
        throw std::runtime_error(path + ": " + failure.what());
    }
}

std::vector<std::uint8_t> ReceiverMemory::uploadedImage() const {
    std::vector<std::uint8_t> image;
    image.reserve(uploadedSize);
    for (const std::uint8_t b : eeprom_) {
        image.push_back(static_cast<std::uint8_t>(~b));
    }
    for (const std::uint8_t b : flash_) {
        image.push_back(static_cast<std::uint8_t>(~b));
    }
    return image;
}

std::uint8_t ReceiverMemory::read(std::uint32_t address) const {
    if (address < eepromSize) {
        return eeprom_[address];
    }
    if (address >= flashBase && address - flashBase < flashSize) {
        return flash_[address - flashBase];
    }
    return 0xFF;
}

void ReceiverMemory::write(std::uint32_t address, std::uint8_t value) {
    if (address < eepromSize) {
        eeprom_[address] = value;
    } else if (address >= flashBase && address - flashBase < flashSize) {
        flash_[address - flashBase] = value;
    }
}

}  // namespace bv3::stbsim
