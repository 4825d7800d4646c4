// bv3 advise IN [--threshold N]: which mode the compressor would pick for IN under auto.
#include "bv3/command_registry.h"
#include "compress/lzrw1.h"

#include <iostream>
#include <memory>
#include <string>

namespace {

struct AdviseOptions {
    std::string input;
    std::uint32_t threshold = 40;
};

void run(const AdviseOptions& options) {
    bv3::compress::Tlzrw1 component;
    component.SetInputFile(options.input);
    component.SetThreshold(static_cast<std::int32_t>(options.threshold));
    bv3::compress::TCompressMode advice = bv3::compress::TCompressMode::Good;
    try {
        advice = component.Advise();
    } catch (const std::exception& failure) {
        throw bv3::cli::CommandFailure(failure.what());
    }
    std::cout << (advice == bv3::compress::TCompressMode::Fast ? "fast" : "good") << '\n'
              << component.StatusText() << '\n';
}

void install(CLI::App& app) {
    auto options = std::make_shared<AdviseOptions>();
    CLI::App* command = app.add_subcommand("advise", "Sample a file and recommend the good or the fast mode");
    command->add_option("IN", options->input, "file to sample")->required();
    bv3::cli::addNumberOption(*command, "--threshold", options->threshold,
                              "percentage below which fast is recommended (default 40)", 0x7FFFFFFF);
    command->callback([options] { run(*options); });
}

const bv3::cli::CommandRegistration registration(52, install);

}  // namespace
