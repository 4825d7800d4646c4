#pragma once
// The shared body of `bv3 upload` and `bv3 download`: the same protocols as the dialogs, run
// on the command line with a pumped UI thread and a terminal progress bar, or (--gui) in the
// real dialog.

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

namespace bv3::cli {

enum class TransferDirection { Upload, Download };

struct TransferCommandOptions {
    std::string file;
    std::string port;
    std::uint32_t baud = 115200;
    bool gui = false;
    std::string screenshot;
    std::uint32_t screenshotPercent = 50;
};

// Declares FILE, --port, --baud, --gui and --screenshot on the command.
void addTransferOptions(CLI::App& command, TransferCommandOptions& options);

// Runs the transfer; throws CommandFailure with a message naming the port or the file.
void runTransfer(TransferDirection direction, const TransferCommandOptions& options);

}  // namespace bv3::cli
