// bv3 download FILE --port DEV --baud RATE [--gui]: serves FILE to the receiver's requests.
#include "bv3/command_registry.h"
#include "bv3/transfer_runner.h"

namespace {

void install(CLI::App& app) {
    auto options = std::make_shared<bv3::cli::TransferCommandOptions>();
    auto* command = app.add_subcommand("download", "send FILE to the receiver as it requests it");
    bv3::cli::addTransferOptions(*command, *options);
    command->callback([options] { bv3::cli::runTransfer(bv3::cli::TransferDirection::Download, *options); });
}

const bv3::cli::CommandRegistration registration(61, install);

}  // namespace
