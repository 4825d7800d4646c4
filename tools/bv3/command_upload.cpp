// bv3 upload FILE --port DEV --baud RATE [--gui]: receives the receiver's memory into FILE.
#include "bv3/command_registry.h"
#include "bv3/transfer_runner.h"

namespace {

void install(CLI::App& app) {
    auto options = std::make_shared<bv3::cli::TransferCommandOptions>();
    auto* command = app.add_subcommand("upload", "receive the receiver's memory (401,408 bytes) into FILE");
    bv3::cli::addTransferOptions(*command, *options);
    command->callback([options] { bv3::cli::runTransfer(bv3::cli::TransferDirection::Upload, *options); });
}

const bv3::cli::CommandRegistration registration(60, install);

}  // namespace
