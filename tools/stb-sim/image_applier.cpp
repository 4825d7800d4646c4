#include "stb-sim/image_applier.h"

#include "qdf_reader.h"

#include <cstdio>

namespace bv3::stbsim {

namespace {

// The boot flash's two copies of the settings, both loaded into the EEPROM.
constexpr std::uint64_t settingsCopiesEnd = 2u * ReceiverMemory::eepromSize;
constexpr std::uint64_t flashEnd = std::uint64_t{ReceiverMemory::flashBase} + ReceiverMemory::flashSize;

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "$%06X", value);
    return text;
}

// Where a block lands, or an empty name when it does not fit the receiver.
std::string targetOf(const qdf::BlockReport& block) {
    const std::uint64_t begin = block.address;
    const std::uint64_t end = begin + block.originalLength;
    if (block.type == qdf::BlockType::eeprom) {
        return end <= ReceiverMemory::eepromSize ? "EEPROM" : "";
    }
    if (end <= settingsCopiesEnd) {
        return "EEPROM";
    }
    if (begin >= ReceiverMemory::flashBase && end <= flashEnd) {
        return "flash";
    }
    return "";
}

void writeBlock(ReceiverMemory& memory, const qdf::BlockReport& block) {
    const bool settings = block.address < settingsCopiesEnd;
    for (std::uint32_t i = 0; i < block.originalLength; ++i) {
        const std::uint32_t address = block.address + i;
        memory.write(settings ? address % ReceiverMemory::eepromSize : address, block.data[i]);
    }
}

}  // namespace

std::vector<AppliedBlock> applyDownloadImage(ReceiverMemory& memory, std::span<const std::uint8_t> image) {
    qdf::ImageReport report;
    try {
        report = qdf::decodeQdfImage(image);
    } catch (const qdf::QdfFormatError& failure) {
        throw ImageRefused(failure.what());
    }
    std::vector<AppliedBlock> applied;
    for (std::size_t i = 0; i < report.blocks.size(); ++i) {
        const auto& block = report.blocks[i];
        const std::string target = targetOf(block);
        if (target.empty()) {
            throw ImageRefused("block " + std::to_string(i) + " (" + std::to_string(block.originalLength) +
                               " bytes at " + hex(block.address) +
                               ") lies outside the receiver's memory (settings at $000000-$003FFF, flash at "
                               "$0A0000-$0FFFFF)");
        }
        applied.push_back({block.address, block.originalLength, target});
    }
    for (const auto& block : report.blocks) {
        writeBlock(memory, block);
    }
    return applied;
}

}  // namespace bv3::stbsim
