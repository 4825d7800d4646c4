// bv3 send LIST --port P --model MC --variant CV [--header-id ID] [--backup DIR] [--verify]:
// the editor's send from the command line, with a backup of what the receiver held before and a
// check of what it holds after. Bad input stops the command before the port is opened.
#include "bv3/command_registry.h"
#include "bv3/list_comparison.h"
#include "bv3/private_build_folder.h"
#include "bv3/transfer_runner.h"
#include "channeldb/qnf_writer.h"
#include "edit/list_backups.h"
#include "edit/list_diff.h"
#include "edit/list_diff_report.h"
#include "qdfbuild/qdf_build.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>

namespace {

namespace fs = std::filesystem;
using bv3::cli::CommandFailure;

struct SendOptions {
    bv3::cli::ListOptions sent;
    std::string port;
    std::uint32_t baud = 115200;
    std::uint32_t headerId = 0x12345678;  // the editor's default
    std::string backupDir;
    bool verify = false;
    std::uint32_t timeoutSeconds = 30;
};

// Refuses a backup folder that cannot be made or written, before anything is received.
void checkBackupFolder(const std::string& folder) {
    std::error_code error;
    if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
        throw CommandFailure("--backup " + folder + ": not a folder; nothing was sent");
    }
    fs::create_directories(folder, error);
    if (error) {
        throw CommandFailure("--backup " + folder + ": cannot create the folder: " + error.message() +
                             "; nothing was sent");
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        throw CommandFailure("--backup " + folder + ": the folder cannot be written; nothing was sent");
    }
}

// The list as it stands is laid out directly, as the editor's send does; the build's temporaries
// go to the command's own scratch folder beside the image.
void buildImage(const bv3::edit::ChannelList& list, const SendOptions& o, const fs::path& qdfPath) {
    try {
        bv3::qdfbuild::runQdfBuild(list.database(), qdfPath.parent_path(),
                                   {.qnfName = o.sent.list,
                                    .qdfPath = qdfPath.string(),
                                    .configVariant = o.sent.layout.variant(),
                                    .modelCode = o.sent.layout.model(),
                                    .headerId = o.headerId});
    } catch (const std::exception& refused) {
        throw CommandFailure(o.sent.list + ": the download image cannot be built: " + refused.what() +
                             "; nothing was sent");
    }
}

void announce(const std::string& step, const std::string& waitsFor) {
    std::cerr << "bv3: " << step << ": " << waitsFor << '\n';
}

bv3::cli::TransferCommandOptions transferOptions(const SendOptions& o, const fs::path& file) {
    bv3::cli::TransferCommandOptions t;
    t.file = file.string();
    t.port = o.port;
    t.baud = o.baud;
    t.timeoutSeconds = o.timeoutSeconds;
    return t;
}

// Receives the receiver's memory and reads it as a list of the model.
bv3::edit::ChannelList receiveList(const SendOptions& o, const fs::path& imagePath) {
    bv3::cli::runTransfer(bv3::cli::TransferDirection::Upload, transferOptions(o, imagePath));
    try {
        return bv3::edit::ChannelList::fromRawImageFile(imagePath.string(), o.sent.layout.variant(),
                                                        o.sent.layout.model());
    } catch (const std::exception& unreadable) {
        throw CommandFailure(std::string("the receiver's memory cannot be read as a list of model ") +
                             std::to_string(o.sent.layout.modelCode) + ", variant " +
                             std::to_string(o.sent.layout.configVariant) + ": " + unreadable.what());
    }
}

// Runs one step; a failure names the step and where the backup is.
template <class Step>
auto runStep(const std::string& name, const std::string& backup, Step step) {
    try {
        return step();
    } catch (const std::exception& failure) {
        throw CommandFailure(name + " failed: " + failure.what() +
                             (backup.empty() ? std::string() : "\nbv3: the backup is kept in " + backup));
    }
}

void runSend(const SendOptions& o) {
    // Everything that can be refused is refused before the port is opened.
    auto list = bv3::cli::openListToCompare(o.sent.list, o.sent.layout.model(), o.sent.layout.variant());
    if (list.database().serviceCount() == 0) {
        throw CommandFailure(o.sent.list +
                             ": the list holds no services; sent, it would empty the receiver; nothing was sent");
    }
    if (!o.backupDir.empty()) {
        checkBackupFolder(o.backupDir);
    }
    const bv3::cli::ScratchFolder scratch;
    const fs::path qdf = scratch / "send.qdf";
    buildImage(list, o, qdf);

    const int steps = 1 + (o.backupDir.empty() ? 0 : 1) + (o.verify ? 1 : 0);
    int number = 0;
    auto stepName = [&](const char* what) {
        return "step " + std::to_string(++number) + " of " + std::to_string(steps) + " (" + what + ")";
    };
    std::string backup;
    if (!o.backupDir.empty()) {
        const std::string name = stepName("backup");
        announce(name, "start the upload on the receiver (STB to PC); waiting for its memory");
        backup = runStep(name, "", [&] {
            auto held = receiveList(o, scratch / "before.raw");
            return bv3::edit::saveBackup(held, o.backupDir);
        });
        std::cerr << "bv3: the receiver's list is kept in " << backup << '\n';
    }
    {
        const std::string name = stepName("send");
        announce(name, "start the download on the receiver (PC to STB); waiting for its requests");
        runStep(name, backup, [&] {
            bv3::cli::runTransfer(bv3::cli::TransferDirection::Download, transferOptions(o, qdf));
            return 0;
        });
    }
    if (!o.verify) {
        return;
    }
    const std::string name = stepName("verify");
    announce(name, "start the upload on the receiver again (STB to PC); waiting for its memory");
    const auto held = runStep(name, backup, [&] { return receiveList(o, scratch / "after.raw"); });
    const auto diff = bv3::edit::diffLists(list.database(), held.database());
    if (diff.same()) {
        std::cout << "ok: the receiver holds exactly the list you sent\n";
        return;
    }
    std::cout << bv3::edit::diffText(diff);
    std::cout.flush();
    throw CommandFailure("the receiver does not hold the list you sent: " + bv3::edit::diffSummary(diff) +
                         (backup.empty() ? std::string() : "\nbv3: the backup is kept in " + backup));
}

void install(CLI::App& app) {
    auto o = std::make_shared<SendOptions>();
    auto* command = app.add_subcommand(
        "send", "Send a channel list to the receiver: backup what it holds, send, and verify what it holds then");
    bv3::cli::addListOptions(*command, o->sent, "LIST", "QNF list, compressed list or uploaded image to send",
                             bv3::cli::VariantNeed::Required);
    command->add_option("--port", o->port, "serial device: Com1..Com4 or a device path")->required();
    bv3::cli::addNumberOption(*command, "--baud", o->baud, "line rate (default 115200)");
    bv3::cli::addNumberOption(*command, "--header-id", o->headerId,
                              "receiver identifier for the download image (default 0x12345678)");
    command->add_option("--backup", o->backupDir,
                        "first receive the receiver's list and keep it in this folder (a compressed list named by "
                        "date and time); if that fails, nothing is sent");
    command->add_flag("--verify", o->verify, "receive again after sending and compare with LIST (exit 1 if not the same)");
    bv3::cli::addNumberOption(*command, "--timeout", o->timeoutSeconds,
                              "give up a step when the receiver sends nothing for SECONDS (default 30, 0 = never)");
    command->callback([o] { runSend(*o); });
}

const bv3::cli::CommandRegistration registration(62, install);

}  // namespace
