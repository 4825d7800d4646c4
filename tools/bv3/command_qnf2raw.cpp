// bv3 qnf2raw QNF CONFIG SERVICE --variant CV --model MC: the two receiver images of a list,
// as the download build lays them out, without calling the encoder.
#include "bv3/channel_list_input.h"
#include "bv3/check_report.h"
#include "bv3/command_registry.h"
#include "channeldb/raw_writer.h"

#include <iostream>
#include <memory>

namespace {

struct Qnf2RawOptions {
    std::string qnfPath;
    std::string configPath;
    std::string servicePath;
    std::uint32_t configVariant = 0;
    std::uint32_t modelCode = 0;
};

void install(CLI::App& app) {
    auto options = std::make_shared<Qnf2RawOptions>();
    CLI::App* command = app.add_subcommand("qnf2raw", "Lay a QNF list out as the receiver images Config and Service");
    command->add_option("QNF", options->qnfPath, "QNF channel list to read")->required();
    command->add_option("CONFIG", options->configPath, "configuration image to write (8192 bytes)")->required();
    command->add_option("SERVICE", options->servicePath, "service image to write")->required();
    bv3::cli::addNumberOption(*command, "--variant", options->configVariant, "configuration variant (0..255)", 0xFF)
        ->required();
    bv3::cli::addNumberOption(*command, "--model", options->modelCode, "receiver model code (0..5)", 5)->required();
    command->callback([options] {
        const auto db = bv3::cli::readChannelList(options->qnfPath);
        const auto variant = static_cast<std::uint8_t>(options->configVariant);
        const auto model = static_cast<std::uint8_t>(options->modelCode);
        bv3::cli::refuseUnrepresentableList(options->qnfPath, model);
        // Both images are laid out before either is written: a refused list writes nothing.
        const auto images = bv3::cli::layOutChannelList(*db, options->qnfPath, variant, model);
        bv3::channeldb::writeImageFile(options->configPath, images.config);
        bv3::channeldb::writeImageFile(options->servicePath, images.service);
        std::cout << "wrote " << options->configPath << " (" << images.config.size() << " bytes) and "
                  << options->servicePath << " (" << images.service.size() << " bytes)\n";
    });
}

const bv3::cli::CommandRegistration registration(20, install);

}  // namespace
