// bv3 decompress IN OUT: restores either kind of container, as V3QnfToQnf does.
#include "bv3/command_registry.h"
#include "bv3/compress_failure.h"
#include "bv3/compress_progress.h"
#include "compress/lzrw1.h"

#include <memory>
#include <string>

namespace {

struct DecompressOptions {
    std::string input;
    std::string output;
    bv3::cli::ProgressMode progress = bv3::cli::ProgressMode::Auto;
};

void run(const DecompressOptions& options) {
    bv3::compress::Tlzrw1 component;
    bv3::cli::CompressProgress progress(component, options.input, options.progress);
    component.SetInputFile(options.input);
    component.SetOutputFile(options.output);
    bv3::cli::runCompressorOperation([&component] { component.Decompress(); });
    progress.Finish();
}

void install(CLI::App& app) {
    auto options = std::make_shared<DecompressOptions>();
    CLI::App* command = app.add_subcommand("decompress", "Restore a file from its LZH or LZRW1/KH container");
    command->add_option("IN", options->input, "container to read")->required();
    command->add_option("OUT", options->output, "file to write (replaced if it exists)")->required();
    bv3::cli::addProgressOptions(*command, options->progress);
    command->callback([options] { run(*options); });
}

const bv3::cli::CommandRegistration registration(51, install);

}  // namespace
