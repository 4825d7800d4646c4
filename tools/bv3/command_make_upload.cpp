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
    bv3::cli::ReceiverLayout layout;
    bool allowEmpty = false;
};

void install(CLI::App& app) {
    auto options = std::make_shared<MakeUploadOptions>();
    CLI::App* command =
        app.add_subcommand("make-upload", "Write the raw image an upload from a receiver holding a QNF list leaves");
    command->add_option("QNF", options->qnfPath, "QNF channel list to read")->required();
    command->add_option("RAW", options->rawPath, "raw image file to write (401408 bytes)")->required();
    bv3::cli::addReceiverLayoutOptions(*command, options->layout);
    bv3::cli::addAllowEmptyFlag(*command, options->allowEmpty);
    command->callback([options] {
        bv3::safewrite::refuseOutputThatIsInput(options->qnfPath, options->rawPath);
        const auto db = bv3::cli::readChannelList(options->qnfPath, options->allowEmpty);
        const auto variant = options->layout.variant();
        const auto model = options->layout.model();
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
