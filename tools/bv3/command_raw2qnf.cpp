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
    bv3::cli::ReceiverLayout layout;
};

void install(CLI::App& app) {
    auto options = std::make_shared<Raw2QnfOptions>();
    CLI::App* command = app.add_subcommand("raw2qnf", "Convert a raw image uploaded from the receiver to a QNF list");
    command->add_option("RAW", options->rawPath, "raw image file as an upload left it")->required();
    command->add_option("QNF", options->qnfPath, "QNF channel list to write")->required();
    bv3::cli::addReceiverLayoutOptions(*command, options->layout);
    command->callback([options] {
        const auto repairs = bv3::channeldb::rawToQnf(options->rawPath, options->qnfPath,
                                                      options->layout.variant(), options->layout.model());
        for (const auto& repair : repairs) {
            std::cerr << "bv3: " << options->qnfPath << ": " << bv3::channeldb::formatFinding(repair) << '\n';
        }
        bv3::cli::warnIfImageDamaged(options->rawPath, options->layout.variant(),
                                     options->layout.model());
        std::cout << "wrote " << options->qnfPath << '\n';
    });
}

const bv3::cli::CommandRegistration registration(10, install);

}  // namespace
