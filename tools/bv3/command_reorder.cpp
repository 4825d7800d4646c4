// bv3 reorder IN OUT --like REF [--drop-unmatched] [--carry-favourites] [--model MC]
// [--allow-empty]: puts a
// list (say, fresh from a rescan) into the order of another, matching services by kind, name
// and TS numbers, and a renamed one by its service words and TS numbers. Written only when the
// checks find no error for the model.
#include "bv3/command_registry.h"
#include "bv3/list_editing.h"
#include "edit/reference_order.h"

#include <iostream>
#include <memory>

namespace {

namespace cli = bv3::cli;
namespace edit = bv3::edit;

// Without --model the list is checked against model 1: the most room (4000 slots a list,
// every favourite list) and no list placed by channel numbers.
constexpr std::uint32_t defaultModel = 1;

struct ReorderOptions {
    std::string input;
    std::string output;
    std::string reference;
    std::uint32_t modelCode = defaultModel;
    std::uint32_t referenceModel = 0;
    bool referenceModelGiven = false;
    bool dropUnmatched = false;
    bool carryFavourites = false;
    bool container = false;
    bool allowEmpty = false;
};

void run(const ReorderOptions& options) {
    const auto model = static_cast<std::uint8_t>(options.modelCode);
    edit::ChannelList list = cli::openChannelList(options.input, model, std::nullopt);
    const edit::ChannelList reference = cli::openChannelList(options.reference, model, std::nullopt);
    edit::ReorderOptions how;
    how.dropUnmatched = options.dropUnmatched;
    how.carryFavourites = options.carryFavourites;
    if (options.referenceModelGiven) {
        how.referenceModel = static_cast<std::uint8_t>(options.referenceModel);
    }
    const edit::ReorderReport report = edit::reorderByReference(list, reference.database(), how);
    std::cout << options.input << ": " << report.matched << " services matched in " << options.reference << ", "
              << report.unmatched << " not found there"
              << (options.dropUnmatched ? " (dropped)" : " (kept after the matched ones)") << "; "
              << report.referenceUnmatched << " of the reference's services have no counterpart\n";
    if (report.matchedRenamed > 0) {
        std::cout << "  " << report.matchedRenamed
                  << " of the matched are renamed services, matched by their service words and TS numbers\n";
    }
    if (report.numbersTaken > 0) {
        std::cout << "  " << report.numbersTaken << " channel numbers taken from the reference\n";
    }
    if (options.carryFavourites) {
        std::cout << "  favourites: " << report.favouritesCarried << " entries carried over, "
                  << report.favouritesLeftOut << " left out (their service did not match or has no number)\n";
    }
    // A reference that matches nothing, with the unmatched dropped, leaves a list without a
    // service; written over its input, that would be the user's channel list gone.
    if (list.database().serviceCount() == 0 && !options.allowEmpty) {
        throw cli::CommandFailure(options.output + ": not written: the reordered list holds no services (" +
                                  std::to_string(report.matched) + " matched in " + options.reference +
                                  "); --allow-empty writes it all the same");
    }
    cli::refuseListWithErrors(list, options.output, std::cerr);
    cli::writeChannelList(list, options.output, options.container);
    std::cout << "wrote " << options.output << '\n';
}

void install(CLI::App& app) {
    auto options = std::make_shared<ReorderOptions>();
    CLI::App* command =
        app.add_subcommand("reorder", "Order a channel list like a reference list (after a rescan, say)");
    command->footer(
        "Services match by kind, name and TS numbers; a reference service left without a match then takes a\n"
        "renamed service of the same kind with the same service words and TS numbers.");
    command->add_option("IN", options->input, "QNF or compressed list to reorder")->required();
    command->add_option("OUT", options->output, "list to write")->required();
    command->add_option("--like", options->reference, "the reference list whose order to take")->required();
    command->add_flag("--drop-unmatched", options->dropUnmatched, "leave out services the reference does not have");
    command->add_flag("--carry-favourites", options->carryFavourites,
                      "take the reference's favourite lists, where their services match");
    cli::addNumberOption(*command, "--model", options->modelCode,
                         "receiver model code (0..5) the result is checked against (default 1)", 5);
    cli::addNumberOption(*command, "--reference-model", options->referenceModel,
                         "the reference's model, if its channel numbers are not its receiver's own", 5);
    command->add_flag("--container", options->container, "write OUT as a compressed (LZH) list");
    cli::addAllowEmptyFlag(*command, options->allowEmpty);
    command->callback([options, command] {
        options->referenceModelGiven = command->count("--reference-model") > 0;
        run(*options);
    });
}

const cli::CommandRegistration registration(31, install);

}  // namespace
