// bv3 check FILE --model MC [--variant CV]: the integrity checks of an uploaded raw image or
// of a QNF channel list, told apart by content. Exit 0 when every check holds, 1 otherwise.
#include "bv3/check_report.h"
#include "bv3/command_registry.h"
#include "channeldb/file_input.h"
#include "channeldb/image_check.h"
#include "channeldb/qnf_check.h"
#include "channeldb/uploaded_image.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <limits>
#include <memory>
#include <span>
#include <string_view>

namespace {

struct CheckOptions {
    std::string path;
    std::uint32_t configVariant = 0;
    std::uint32_t modelCode = 0;
    bool variantGiven = false;
    bool all = false;
};

constexpr std::size_t findingsShown = 50;
// Larger than any channel list or upload by far; a file beyond it is neither.
constexpr std::uintmax_t largestCheckedFile = 64u << 20;

// A channel list begins with its header line; anything else that holds bytes no text has,
// or is exactly as long as an upload, is taken for an uploaded image. Text without the header
// is checked as a channel list, whose header check then names the fault.
bool looksLikeUploadedImage(std::string_view bytes) {
    if (bytes.starts_with("[BREVORA V3 FILE]")) {
        return false;
    }
    if (bytes.size() == bv3::channeldb::uploadedImageSize) {
        return true;
    }
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 && b != '\t' && b != '\r' && b != '\n' && b != 0x1A;
    });
}

bv3::channeldb::CheckReport run(const CheckOptions& options) {
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(options.path, sizeError);
    if (!sizeError && size > largestCheckedFile) {
        throw bv3::cli::CommandFailure(options.path + ": " + std::to_string(size) +
                                       " bytes is neither an uploaded image nor a channel list");
    }
    // One byte more than the bound shows a file without a size (a pipe) that is too large.
    const std::string bytes = bv3::channeldb::readFileBytes(options.path, largestCheckedFile + 1);
    if (bytes.size() > largestCheckedFile) {
        throw bv3::cli::CommandFailure(options.path + ": more than " + std::to_string(largestCheckedFile) +
                                       " bytes is neither an uploaded image nor a channel list");
    }
    const auto model = static_cast<std::uint8_t>(options.modelCode);
    const std::size_t shown = options.all ? std::numeric_limits<std::size_t>::max() : findingsShown;
    bv3::channeldb::CheckReport report;
    if (looksLikeUploadedImage(bytes)) {
        if (!options.variantGiven) {
            throw CLI::RequiredError(options.path + " is an uploaded image: --variant");
        }
        const auto variant = static_cast<std::uint8_t>(options.configVariant);
        const std::span<const std::uint8_t> file(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        report = bv3::channeldb::checkUploadedImage(file, variant, model);
        bv3::cli::printCheckReport(
            std::cout, options.path,
            "uploaded image, model " + std::to_string(model) + ", variant " + std::to_string(variant), report, shown);
    } else {
        report = bv3::channeldb::checkChannelListText(bytes, model, options.path);
        bv3::cli::printCheckReport(std::cout, options.path, "QNF channel list, model " + std::to_string(model), report,
                                   shown);
    }
    return report;
}

void install(CLI::App& app) {
    auto options = std::make_shared<CheckOptions>();
    CLI::App* command =
        app.add_subcommand("check", "Check an uploaded raw image or a QNF channel list: checksums, lists, references");
    command->add_option("FILE", options->path, "raw image as an upload left it, or a QNF channel list")->required();
    bv3::cli::addNumberOption(*command, "--variant", options->configVariant,
                              "configuration variant (0..255), for a raw image", 0xFF);
    bv3::cli::addNumberOption(*command, "--model", options->modelCode, "receiver model code (0..5)", 5)->required();
    command->add_flag("--all", options->all, "list every finding, not only the first 50");
    command->callback([options, command] {
        options->variantGiven = command->count("--variant") > 0;
        const auto report = run(*options);
        if (!report.passed()) {
            throw bv3::cli::CommandFailure(options->path + " fails " + std::to_string(report.findings.size()) +
                                           (report.findings.size() == 1 ? " check" : " checks"));
        }
    });
}

const bv3::cli::CommandRegistration registration(15, install);

}  // namespace
