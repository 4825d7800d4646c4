// bv3 qnf2qdf QNF QDF --variant CV --model MC --header-id ID: the QnfToQDF build from the
// command line, in a private temporary folder of its own (private_build_folder.h).
#include "bv3/check_report.h"
#include "bv3/command_registry.h"
#include "bv3/private_build_folder.h"
#include "channeldb/conversion_error.h"
#include "channeldb/qnf_reader.h"
#include "qdfbuild/qdf_build.h"
#include "safe_write/safe_write.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

namespace {

struct Qnf2QdfOptions {
    bv3::cli::ListOptions qnf;
    std::string qdfPath;
    std::uint32_t headerId = 0;
    bool allowEmpty = false;
};

void runQnf2Qdf(const Qnf2QdfOptions& options) {
    std::error_code ignored;
    if (std::filesystem::is_directory(options.qnf.list, ignored)) {
        throw bv3::cli::CommandFailure("cannot open the channel list \"" + options.qnf.list + "\": it is a directory");
    }
    errno = 0;
    std::ifstream qnf(options.qnf.list, std::ios::binary);
    if (!qnf.is_open()) {
        throw bv3::cli::CommandFailure("cannot open the channel list \"" + options.qnf.list +
                                       "\": " + (errno != 0 ? std::strerror(errno) : "cannot be opened"));
    }
    bv3::safewrite::refuseOutputThatIsInput(options.qnf.list, options.qdfPath);
    bv3::channeldb::refuseOversizedQnfFile(options.qnf.list);
    // A list the receiver's images cannot hold is refused before anything is written.
    bv3::cli::refuseUnrepresentableList(options.qnf.list, options.qnf.layout.model());
    // The output is named from the user's current folder, not the build's.
    const std::string qdfPath = std::filesystem::absolute(options.qdfPath).string();
    try {
        const bv3::cli::PrivateBuildFolder folder;
        bv3::qdfbuild::runQdfBuild(qnf, {.qnfName = options.qnf.list,
                                         .qdfPath = qdfPath,
                                         .configVariant = options.qnf.layout.variant(),
                                         .modelCode = options.qnf.layout.model(),
                                         .headerId = options.headerId,
                                         .allowEmpty = options.allowEmpty});
    } catch (const bv3::channeldb::CorruptQnfHeader& failure) {
        throw bv3::cli::CommandFailure("\"" + options.qnf.list + "\": " + failure.what() + " (" + failure.detail() +
                                       "); nothing was built");
    }
    std::cout << "wrote " << options.qdfPath << '\n';
}

void install(CLI::App& app) {
    auto options = std::make_shared<Qnf2QdfOptions>();
    auto* command = app.add_subcommand("qnf2qdf", "Build a QDF download image from a QNF channel list");
    // A model above 5 reaches the build, whose refusal names the known models (exit 1).
    bv3::cli::addListOptions(*command, options->qnf, "QNF", "channel list to read", bv3::cli::VariantNeed::Required,
                             0xFF);
    command->add_option("QDF", options->qdfPath, "download image to write")->required();
    bv3::cli::addNumberOption(*command, "--header-id", options->headerId, "receiver identifier (32 bits)")->required();
    command->add_flag("--allow-empty", options->allowEmpty,
                      "build even from a list without services (the image empties the receiver)");
    command->callback([options] { runQnf2Qdf(*options); });
}

const bv3::cli::CommandRegistration registration(20, install);

}  // namespace
