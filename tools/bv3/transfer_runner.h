#pragma once
// The shared body of `bv3 upload` and `bv3 download`: the same protocols as the dialogs, run
// on the command line (the port's event thread running the handlers itself) with a terminal
// progress bar, or (--gui) in the real dialog.

#include "bv3/progress_mode.h"

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
    // Without the dialog: the transfer ends when the receiver sends nothing for this long
    // (a receiver switched off never hangs up the line). 0 waits for ever.
    std::uint32_t timeoutSeconds = 30;
    // Without the dialog: running updates on a terminal, --progress or --quiet.
    ProgressMode progress = ProgressMode::Auto;
};

// Declares FILE, --port, --baud, --gui, --screenshot, --timeout, --progress and --quiet on
// the command.
void addTransferOptions(CLI::App& command, TransferCommandOptions& options);

// Runs the transfer; throws CommandFailure with a message naming the port or the file.
void runTransfer(TransferDirection direction, const TransferCommandOptions& options);

}  // namespace bv3::cli
