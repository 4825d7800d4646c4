// bv3 compress IN OUT [--mode good|fast|auto] [--threshold N]: writes the container of IN, as
// QnfToV3Qnf does with the default mode good.
#include "bv3/command_registry.h"
#include "bv3/compress_failure.h"
#include "bv3/compress_progress.h"
#include "compress/lzrw1.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

namespace {

struct CompressOptions {
    std::string input;
    std::string output;
    bv3::cli::ProgressMode progress = bv3::cli::ProgressMode::Auto;
    std::string mode = "good";
    std::uint32_t threshold = 40;
};

bv3::compress::TCompressMode modeNamed(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name == "fast"   ? bv3::compress::TCompressMode::Fast
           : name == "auto" ? bv3::compress::TCompressMode::Auto
                            : bv3::compress::TCompressMode::Good;
}

void run(const CompressOptions& options) {
    bv3::compress::Tlzrw1 component;
    bv3::cli::CompressProgress progress(component, options.input, options.progress);
    component.SetInputFile(options.input);
    component.SetOutputFile(options.output);
    component.SetCompressMode(modeNamed(options.mode));
    component.SetThreshold(static_cast<std::int32_t>(options.threshold));
    bv3::cli::runCompressorOperation([&component] { component.Compress(); });
    progress.Finish();
}

void install(CLI::App& app) {
    auto options = std::make_shared<CompressOptions>();
    CLI::App* command =
        app.add_subcommand("compress", "Compress a file into an LZH (good) or LZRW1/KH (fast) container");
    command->add_option("IN", options->input, "file to compress")->required();
    command->add_option("OUT", options->output, "container to write (replaced if it exists)")->required();
    command->add_option("--mode", options->mode, "good (LZH, default), fast (LZRW1/KH) or auto (sampled)")
        ->check(CLI::IsMember({"good", "fast", "auto"}, CLI::ignore_case));
    bv3::cli::addNumberOption(*command, "--threshold", options->threshold,
                              "percentage below which auto picks fast (default 40)", 0x7FFFFFFF);
    bv3::cli::addProgressOptions(*command, options->progress);
    command->callback([options] { run(*options); });
}

const bv3::cli::CommandRegistration registration(50, install);

}  // namespace
