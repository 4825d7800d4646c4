// bv3: the channel database service library's operations from the command line.
// Exit status: 0 success, 1 the operation failed, 2 the command line was wrong.

#include "bv3/command_registry.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{"bv3 - channel lists, receiver images and transfers for the Brevora V3 receiver"};
    app.require_subcommand(1);
    bv3::cli::installRegisteredCommands(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : 2;
    } catch (const std::exception& failure) {
        std::cerr << "bv3: " << failure.what() << '\n';
        return 1;
    }
    return 0;
}
