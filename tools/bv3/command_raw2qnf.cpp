// bv3 raw2qnf RAW QNF --variant CV --model MC: the RawToQnf conversion.
#include "bv3/check_report.h"
#include "bv3/command_registry.h"
#include "channeldb/raw_to_qnf.h"

#include <iostream>
#include <memory>

namespace {

struct Raw2QnfOptions {
    std::string rawPath;
    std::string qnfPath;
    std::uint32_t configVariant = 0;
    std::uint32_t modelCode = 0;
};

void install(CLI::App& app) {
    auto options = std::make_shared<Raw2QnfOptions>();
    CLI::App* command = app.add_subcommand("raw2qnf", "Convert a raw image uploaded from the receiver to a QNF list");
    command->add_option("RAW", options->rawPath, "raw image file as an upload left it")->required();
    command->add_option("QNF", options->qnfPath, "QNF channel list to write")->required();
    bv3::cli::addNumberOption(*command, "--variant", options->configVariant, "configuration variant (0..255)", 0xFF)
        ->required();
    bv3::cli::addNumberOption(*command, "--model", options->modelCode, "receiver model code (0..5)", 5)->required();
    command->callback([options] {
        bv3::channeldb::rawToQnf(options->rawPath, options->qnfPath, static_cast<std::uint8_t>(options->configVariant),
                                 static_cast<std::uint8_t>(options->modelCode));
        bv3::cli::warnIfImageDamaged(options->rawPath, static_cast<std::uint8_t>(options->configVariant),
                                     static_cast<std::uint8_t>(options->modelCode));
        std::cout << "wrote " << options->qnfPath << '\n';
    });
}

const bv3::cli::CommandRegistration registration(10, install);

}  // namespace
