// bv3 duplicates IN [--remove OUT] [--model MC]: lists the services that are the same service
// more than once (same kind, service words and TS numbers) and the near-duplicates (same name
// on different TS); with --remove writes the list without all but the first of each.
#include "bv3/command_registry.h"
#include "bv3/list_editing.h"
#include "edit/duplicates.h"

#include <iostream>
#include <memory>

namespace {

namespace cli = bv3::cli;
namespace edit = bv3::edit;

struct DuplicatesOptions {
    std::string input;
    std::string output;
    std::uint32_t modelCode = 1;
    bool container = false;
};

void printGroups(const edit::ChannelList& list, const std::vector<edit::DuplicateGroup>& groups, const char* title) {
    const auto& db = list.database();
    std::cout << title << ": " << groups.size() << '\n';
    for (const auto& group : groups) {
        std::cout << " ";
        for (const std::size_t row : group.rows) {
            const auto& s = db.services[row];
            std::cout << " " << row << " \"" << s.svcName << "\" (TS " << s.tsIndex << ")";
        }
        std::cout << '\n';
    }
}

void run(const DuplicatesOptions& options) {
    edit::ChannelList list =
        cli::openChannelList(options.input, static_cast<std::uint8_t>(options.modelCode), std::nullopt);
    const auto duplicates = edit::findDuplicates(list.database());
    std::cout << options.input << ":\n";
    printGroups(list, duplicates, "duplicates (rows; the first of each is kept)");
    printGroups(list, edit::findNearDuplicates(list.database()), "near-duplicates (same name, other TS)");
    if (options.output.empty()) {
        return;
    }
    const std::size_t removed = edit::removeDuplicates(list);
    cli::refuseListWithErrors(list, options.output, std::cerr);
    cli::writeChannelList(list, options.output, options.container);
    std::cout << "wrote " << options.output << " without " << removed << (removed == 1 ? " duplicate" : " duplicates")
              << '\n';
}

void install(CLI::App& app) {
    auto options = std::make_shared<DuplicatesOptions>();
    CLI::App* command = app.add_subcommand("duplicates", "List the services a channel list holds twice");
    command->add_option("IN", options->input, "QNF or compressed list")->required();
    command->add_option("--remove", options->output, "write the list without the duplicates to this file");
    cli::addNumberOption(*command, "--model", options->modelCode,
                         "receiver model code (0..5) the result is checked against (default 1)", 5);
    command->add_flag("--container", options->container, "write the list as a compressed (LZH) list");
    command->callback([options] { run(*options); });
}

const cli::CommandRegistration registration(32, install);

}  // namespace
