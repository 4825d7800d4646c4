// bv3 qdf-info QDF: what a download image holds and whether each part is intact.
// Exit status 1 when anything is damaged, so scripts can check an image before sending it.
#include "bv3/command_registry.h"
#include "qdf_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <vector>

namespace {

std::string hex32(std::uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "$%08X", value);
    return text;
}

std::string reasonFromErrno() {
    return errno != 0 ? std::strerror(errno) : "input/output error";
}

// The whole image, read in blocks once its size is known to be one an image can have.
std::vector<std::uint8_t> readImage(const std::string& path) {
    const auto refuse = [&](const std::string& reason) {
        return bv3::cli::CommandFailure("cannot read the download image \"" + path + "\": " + reason);
    };
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        throw refuse("it is a folder");
    }
    const std::string tooLarge =
        "larger than any download image can be (" + std::to_string(bv3::qdf::maxImageFileSize) + " bytes)";
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > bv3::qdf::maxImageFileSize) {
        throw refuse(std::to_string(size) + " bytes is " + tooLarge);
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw refuse(reasonFromErrno());
    }
    std::vector<std::uint8_t> bytes;
    char buffer[65536];
    while (in && bytes.size() <= bv3::qdf::maxImageFileSize) {
        in.read(buffer, sizeof buffer);
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    }
    if (in.bad()) {
        throw refuse(reasonFromErrno());
    }
    if (bytes.size() > bv3::qdf::maxImageFileSize) {
        throw refuse("the file is " + tooLarge);
    }
    return bytes;
}

void printReport(const std::string& path, const bv3::qdf::ImageReport& report) {
    std::printf("%s: download image, %u bytes, format %u\n", path.c_str(), report.imageLength,
                static_cast<unsigned>(bv3::qdf::formatVersion));
    std::printf("identifiers %s to %s, loader version %u\n", hex32(report.header.firstId).c_str(),
                hex32(report.header.lastId).c_str(), report.header.loaderVersion);
    std::printf("image checksum: %s\n", report.imageChecksumOk ? "ok" : "MISMATCH");
    std::printf("%-5s %-9s %-6s %-6s %9s %9s %-9s %s\n", "block", "address", "type", "coding", "original", "stored",
                "crc32", "state");
    for (std::size_t i = 0; i < report.blocks.size(); ++i) {
        const auto& block = report.blocks[i];
        std::printf("%-5zu %-9s %-6s %-6s %9u %9u %-9s %s\n", i, hex32(block.address).c_str(),
                    bv3::qdf::blockTypeName(block.type).c_str(), bv3::qdf::blockEncodingName(block.encoding).c_str(),
                    block.originalLength, block.storedLength, hex32(block.crc).c_str(),
                    bv3::qdf::blockStateName(block.state).c_str());
    }
}

void runQdfInfo(const std::string& path) {
    const auto bytes = readImage(path);
    bv3::qdf::ImageReport report;
    try {
        report = bv3::qdf::inspectQdfImage(bytes);
    } catch (const bv3::qdf::QdfFormatError& failure) {
        throw bv3::cli::CommandFailure("\"" + path + "\": " + failure.what());
    }
    printReport(path, report);
    std::fflush(stdout);
    if (!report.intact()) {
        throw bv3::cli::CommandFailure("\"" + path + "\": the download image is damaged");
    }
}

void install(CLI::App& app) {
    auto path = std::make_shared<std::string>();
    auto* command = app.add_subcommand("qdf-info", "List the blocks of a QDF download image and check them");
    command->add_option("QDF", *path, "download image to inspect")->required();
    command->callback([path] { runQdfInfo(*path); });
}

const bv3::cli::CommandRegistration registration(21, install);

}  // namespace
