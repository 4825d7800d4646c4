// bv3 qnf2raw QNF CONFIG SERVICE --variant CV --model MC: the two receiver images of a list,
// as the download build lays them out, without calling the encoder.
#include "bv3/channel_list_input.h"
#include "bv3/check_report.h"
#include "bv3/command_registry.h"
#include "channeldb/raw_writer.h"
#include "safe_write/safe_write.h"

#include <filesystem>
#include <iostream>
#include <memory>

namespace {

// Two names of one file, whether or not it exists yet.
bool sameTarget(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path first = fs::weakly_canonical(fs::absolute(a, error), error);
    const fs::path second = fs::weakly_canonical(fs::absolute(b, error), error);
    return !error && first == second;
}

struct Qnf2RawOptions {
    std::string qnfPath;
    std::string configPath;
    std::string servicePath;
    bv3::cli::ReceiverLayout layout;
    bool allowEmpty = false;
};

void install(CLI::App& app) {
    auto options = std::make_shared<Qnf2RawOptions>();
    CLI::App* command = app.add_subcommand("qnf2raw", "Lay a QNF list out as the receiver images Config and Service");
    command->add_option("QNF", options->qnfPath, "QNF channel list to read")->required();
    command->add_option("CONFIG", options->configPath, "configuration image to write (8192 bytes)")->required();
    command->add_option("SERVICE", options->servicePath, "service image to write")->required();
    bv3::cli::addReceiverLayoutOptions(*command, options->layout);
    bv3::cli::addAllowEmptyFlag(*command, options->allowEmpty);
    command->callback([options] {
        bv3::safewrite::refuseOutputThatIsInput(options->qnfPath, options->configPath);
        bv3::safewrite::refuseOutputThatIsInput(options->qnfPath, options->servicePath);
        if (sameTarget(options->configPath, options->servicePath)) {
            throw bv3::cli::CommandFailure("CONFIG and SERVICE name the same file '" + options->servicePath +
                                           "': the service image would replace the configuration image");
        }
        const auto db = bv3::cli::readChannelList(options->qnfPath, options->allowEmpty);
        const auto variant = options->layout.variant();
        const auto model = options->layout.model();
        bv3::cli::refuseUnrepresentableList(options->qnfPath, model);
        // Both images are laid out before either is written: a refused list writes nothing.
        const auto images = bv3::cli::layOutChannelList(*db, options->qnfPath, variant, model);
        // Both or neither: both files are complete on disk before either replaces its target.
        bv3::safewrite::ReplacingFile config(options->configPath);
        bv3::safewrite::ReplacingFile service(options->servicePath);
        config.write(std::as_bytes(std::span(images.config)));
        service.write(std::as_bytes(std::span(images.service)));
        config.close();
        service.close();
        config.commit();
        service.commit();
        std::cout << "wrote " << options->configPath << " (" << images.config.size() << " bytes) and "
                  << options->servicePath << " (" << images.service.size() << " bytes)\n";
    });
}

const bv3::cli::CommandRegistration registration(20, install);

}  // namespace
