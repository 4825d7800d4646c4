// bv3 make-upload QNF RAW --variant CV --model MC: the 401,408-byte file an upload from a
// receiver holding this list would leave (every byte complemented). The simulator, the demo
// and the tests use it as a stand-in for a real receiver's memory.
#include "bv3/channel_list_input.h"
#include "bv3/check_report.h"
#include "bv3/command_registry.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"
#include "safe_write/safe_write.h"

#include <iostream>
#include <memory>

namespace {

struct MakeUploadOptions {
    std::string qnfPath;
    std::string rawPath;
    std::uint32_t configVariant = 0;
    std::uint32_t modelCode = 0;
    bool allowEmpty = false;
};

void install(CLI::App& app) {
    auto options = std::make_shared<MakeUploadOptions>();
    CLI::App* command =
        app.add_subcommand("make-upload", "Write the raw image an upload from a receiver holding a QNF list leaves");
    command->add_option("QNF", options->qnfPath, "QNF channel list to read")->required();
    command->add_option("RAW", options->rawPath, "raw image file to write (401408 bytes)")->required();
    bv3::cli::addNumberOption(*command, "--variant", options->configVariant, "configuration variant (0..255)", 0xFF)
        ->required();
    bv3::cli::addNumberOption(*command, "--model", options->modelCode, "receiver model code (0..5)", 5)->required();
    command->add_flag("--allow-empty", options->allowEmpty,
                      "accept a list without services (its images empty the receiver)");
    command->callback([options] {
        bv3::safewrite::refuseOutputThatIsInput(options->qnfPath, options->rawPath);
        const auto db = bv3::cli::readChannelList(options->qnfPath, options->allowEmpty);
        const auto variant = static_cast<std::uint8_t>(options->configVariant);
        const auto model = static_cast<std::uint8_t>(options->modelCode);
        bv3::cli::refuseUnrepresentableList(options->qnfPath, model);
        const auto images = bv3::cli::layOutChannelList(*db, options->qnfPath, variant, model);
        const auto image = bv3::channeldb::composeUploadedImage(images.config, images.service, model);
        bv3::channeldb::writeImageFile(options->rawPath, image);
        std::cout << "wrote " << options->rawPath << " (" << image.size() << " bytes, " << db->videoCount
                  << " video and " << db->audioCount << " audio services)\n";
    });
}

const bv3::cli::CommandRegistration registration(25, install);

}  // namespace
