// bv3: the channel database service library's operations from the command line.
// Exit status: 0 success, 1 the operation failed, 2 the command line was wrong.

#include "bv3/bash_completion.h"
#include "bv3/command_registry.h"
#include "bv3_version.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{"bv3 - channel lists, receiver images and transfers for the Brevora V3 receiver", "bv3"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "bv3 " BV3_VERSION);
    bv3::cli::installRegisteredCommands(app);
    bv3::cli::addCompletionOption(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : 2;
    } catch (const bv3::cli::CommandExit& ending) {
        if (*ending.what() != '\0') {
            std::cerr << "bv3: " << ending.what() << '\n';
        }
        return ending.status();
    } catch (const std::exception& failure) {
        std::cerr << "bv3: " << failure.what() << '\n';
        return 1;
    }
    return 0;
}
