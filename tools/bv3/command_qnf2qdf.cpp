// bv3 qnf2qdf QNF QDF --variant CV --model MC --header-id ID: the QnfToQDF build from the
// command line. The build writes its temporary files "Config.raw", "Service.raw" and
// "qorda.cfg" into the current folder and deletes them afterwards (the encoder reads them by
// name); here it runs in a private temporary folder of its own, so that no file of the user's
// with one of those names is ever touched, and two builds started in one folder never meet.
#include "bv3/check_report.h"
#include "bv3/command_registry.h"
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
#include <random>

namespace {

struct Qnf2QdfOptions {
    std::string qnfPath;
    std::string qdfPath;
    std::uint32_t configVariant = 0;
    std::uint32_t modelCode = 0;
    std::uint32_t headerId = 0;
    bool allowEmpty = false;
};

// A folder only this build uses, made the current one for the build's life; the previous
// current folder is restored and the folder removed with whatever is left in it.
class PrivateBuildFolder {
public:
    PrivateBuildFolder() {
        namespace fs = std::filesystem;
        previous_ = fs::current_path();
        std::random_device random;
        const fs::path base = fs::temp_directory_path();
        for (int attempt = 0; folder_.empty(); ++attempt) {
            const fs::path candidate = base / ("bv3-build-" + std::to_string(random()));
            if (fs::create_directory(candidate)) {
                folder_ = candidate;
            } else if (attempt > 100) {
                throw bv3::cli::CommandFailure("cannot create a private build folder in " + base.string());
            }
        }
        fs::permissions(folder_, fs::perms::owner_all);
        fs::current_path(folder_);
    }
    ~PrivateBuildFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(folder_, ignored);
    }
    PrivateBuildFolder(const PrivateBuildFolder&) = delete;
    PrivateBuildFolder& operator=(const PrivateBuildFolder&) = delete;

private:
    std::filesystem::path previous_;
    std::filesystem::path folder_;
};

void runQnf2Qdf(const Qnf2QdfOptions& options) {
    std::error_code ignored;
    if (std::filesystem::is_directory(options.qnfPath, ignored)) {
        throw bv3::cli::CommandFailure("cannot open the channel list \"" + options.qnfPath + "\": it is a directory");
    }
    errno = 0;
    std::ifstream qnf(options.qnfPath, std::ios::binary);
    if (!qnf.is_open()) {
        throw bv3::cli::CommandFailure("cannot open the channel list \"" + options.qnfPath +
                                       "\": " + (errno != 0 ? std::strerror(errno) : "cannot be opened"));
    }
    bv3::safewrite::refuseOutputThatIsInput(options.qnfPath, options.qdfPath);
    bv3::channeldb::refuseOversizedQnfFile(options.qnfPath);
    // A list the receiver's images cannot hold is refused before anything is written.
    bv3::cli::refuseUnrepresentableList(options.qnfPath, static_cast<std::uint8_t>(options.modelCode));
    // The output is named from the user's current folder, not the build's.
    const std::string qdfPath = std::filesystem::absolute(options.qdfPath).string();
    try {
        const PrivateBuildFolder folder;
        bv3::qdfbuild::runQdfBuild(qnf, {.qnfName = options.qnfPath,
                                         .qdfPath = qdfPath,
                                         .configVariant = static_cast<std::uint8_t>(options.configVariant),
                                         .modelCode = static_cast<std::uint8_t>(options.modelCode),
                                         .headerId = options.headerId,
                                         .allowEmpty = options.allowEmpty});
    } catch (const bv3::channeldb::CorruptQnfHeader& failure) {
        throw bv3::cli::CommandFailure("\"" + options.qnfPath + "\": " + failure.what() + " (" + failure.detail() +
                                       "); nothing was built");
    }
    std::cout << "wrote " << options.qdfPath << '\n';
}

void install(CLI::App& app) {
    auto options = std::make_shared<Qnf2QdfOptions>();
    auto* command = app.add_subcommand("qnf2qdf", "Build a QDF download image from a QNF channel list");
    command->add_option("QNF", options->qnfPath, "channel list to read")->required();
    command->add_option("QDF", options->qdfPath, "download image to write")->required();
    bv3::cli::addNumberOption(*command, "--variant", options->configVariant, "configuration layout variant (0-255)",
                              0xFF)
        ->required();
    bv3::cli::addNumberOption(*command, "--model", options->modelCode, "receiver model code (0-5)", 0xFF)->required();
    bv3::cli::addNumberOption(*command, "--header-id", options->headerId, "receiver identifier (32 bits)")->required();
    command->add_flag("--allow-empty", options->allowEmpty,
                      "build even from a list without services (the image empties the receiver)");
    command->callback([options] { runQnf2Qdf(*options); });
}

const bv3::cli::CommandRegistration registration(20, install);

}  // namespace
