// bv3 edit IN OUT --model MC [OPERATION...]: the editor's operations from a script, applied in
// the order given, each refused as a whole when anything in it is out of range. The result is
// written only when every operation held and the checks find no error for the model;
// --dry-run writes nothing and shows the findings and the lines that would change.
#include "bv3/command_registry.h"
#include "bv3/edit_arguments.h"
#include "bv3/list_editing.h"
#include "edit/edit_error.h"
#include "edit/favourite_operations.h"
#include "edit/menu_operations.h"
#include "edit/receiver_text.h"
#include "edit/record_fields.h"
#include "edit/service_operations.h"
#include "edit/table_operations.h"

#include <charconv>
#include <functional>
#include <iostream>
#include <map>
#include <memory>

namespace {

using bv3::cli::OptionText;
using bv3::cli::RowTable;
using bv3::edit::ChannelList;
namespace cli = bv3::cli;
namespace edit = bv3::edit;
namespace channeldb = bv3::channeldb;

using Operation = std::function<void(ChannelList&, const OptionText&)>;

struct OperationOption {
    const char* name;
    const char* operand;
    const char* help;
    Operation run;
};

std::optional<std::size_t> takeOverOf(const OptionText& given, const std::string& text, const ChannelList& list,
                                      RowTable table, std::size_t& row) {
    const std::size_t colon = text.find(':');
    row = cli::operandRow(given, text.substr(0, colon), list, table);
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    return cli::operandRow(given, text.substr(colon + 1), list, table);
}

edit::ServiceSortKey sortKeyOf(const OptionText& given, const std::string& text) {
    static const std::map<std::string, edit::ServiceSortKey> keys = {{"name", edit::ServiceSortKey::Name},
                                                                     {"provider", edit::ServiceSortKey::Provider},
                                                                     {"ts", edit::ServiceSortKey::Ts},
                                                                     {"number", edit::ServiceSortKey::ChannelNumber}};
    const auto found = keys.find(text);
    if (found == keys.end()) {
        cli::refuseOperand(given, "'" + text + "' is not a sort key: name, provider, ts or number");
    }
    return found->second;
}

void sortOperation(ChannelList& list, const OptionText& given) {
    const auto fields = cli::fieldsOf(given.text, ':');
    const auto group = cli::operandGroup(given, fields[0]);
    if (fields.size() < 2) {
        cli::refuseOperand(given, "expected LIST:KEY[:desc][:FIRST-LAST]");
    }
    const auto key = sortKeyOf(given, fields[1]);
    bool descending = false;
    std::size_t first = 0;
    std::size_t count = edit::groupRows(list, group).size();
    for (std::size_t i = 2; i < fields.size(); ++i) {
        if (fields[i] == "desc") {
            descending = true;
        } else {
            const auto [from, to] = cli::splitOperand(given, fields[i], '-');
            first = cli::operandNumber(given, from, 0xFFFF);
            const std::size_t last = cli::operandNumber(given, to, 0xFFFF);
            if (last < first) {
                cli::refuseOperand(given, "the range " + fields[i] + " runs backwards");
            }
            count = last - first + 1;
        }
    }
    edit::sortServices(list, group, first, count, key, descending);
}

void setOnRows(ChannelList& list, const OptionText& given,
               const std::function<void(edit::ServiceChanges&, const std::string&)>& set) {
    const auto [rows, value] = cli::splitOperand(given, given.text, '=');
    edit::ServiceChanges changes;
    set(changes, value);
    edit::changeServices(list, cli::operandRows(given, rows, list), changes);
}

// The numbers of a TS or antenna line, in the order and with the ranges of the record's field
// table (the columns of its QNF line).
channeldb::TsRecord tsOf(const OptionText& given, const std::string& text, const ChannelList& list, std::size_t row) {
    try {
        return edit::tsRecordFromNumbers(list.database(), cli::fieldsOf(text, ','), list.database().transportStreams[row]);
    } catch (const edit::EditError& refused) {
        cli::refuseOperand(given, refused.what());
    }
}

channeldb::AntennaRecord antennaOf(const OptionText& given, const std::string& text, const ChannelList& list) {
    auto fields = cli::fieldsOf(text, ',');
    // The name is the rest, commas and all.
    std::string name;
    if (fields.size() > 7) {
        std::size_t at = 0;
        for (int i = 0; i < 7; ++i) {
            at = text.find(',', at) + 1;
        }
        name = text.substr(at);
        fields.resize(7);
    }
    try {
        return edit::antennaRecordFromNumbers(list.database(), fields, name);
    } catch (const edit::EditError& refused) {
        cli::refuseOperand(given, refused.what());
    }
}

struct FavouriteList {
    std::uint8_t group;
    std::uint8_t list;
};

FavouriteList favouriteListOf(const OptionText& given, const std::vector<std::string>& f) {
    return {static_cast<std::uint8_t>(cli::operandNumber(given, f[0], 0xFF)),
            static_cast<std::uint8_t>(cli::operandNumber(given, f[1], 0xFF))};
}

std::vector<OperationOption> operations() {
    using S = const std::string&;
    return {
        {"--rename", "ROW=NAME", "rename a service",
         [](ChannelList& l, const OptionText& g) {
             const auto [row, name] = cli::splitOperand(g, g.text, '=');
             edit::renameService(l, cli::operandRow(g, row, l, RowTable::Services), edit::receiverTextFromUtf8(name));
         }},
        {"--move", "ROWS:POS", "move services together to a position of their list (from 0)",
         [](ChannelList& l, const OptionText& g) {
             const std::size_t colon = g.text.rfind(':');
             if (colon == std::string::npos) {
                 cli::refuseOperand(g, "expected ROWS:POSITION");
             }
             edit::moveServices(l, cli::operandRows(g, g.text.substr(0, colon), l),
                                cli::operandNumber(g, g.text.substr(colon + 1), 0xFFFF));
         }},
        {"--move-up", "ROWS", "move services one place up",
         [](ChannelList& l, const OptionText& g) { edit::moveServicesUp(l, cli::operandRows(g, g.text, l)); }},
        {"--move-down", "ROWS", "move services one place down",
         [](ChannelList& l, const OptionText& g) { edit::moveServicesDown(l, cli::operandRows(g, g.text, l)); }},
        {"--move-top", "ROWS", "move services to the top of their list",
         [](ChannelList& l, const OptionText& g) { edit::moveServicesToTop(l, cli::operandRows(g, g.text, l)); }},
        {"--move-bottom", "ROWS", "move services to the bottom of their list",
         [](ChannelList& l, const OptionText& g) { edit::moveServicesToBottom(l, cli::operandRows(g, g.text, l)); }},
        {"--sort", "LIST:KEY[:desc][:FIRST-LAST]", "sort video or audio by name, provider, ts or number (stable)",
         sortOperation},
        {"--delete", "ROWS", "delete services",
         [](ChannelList& l, const OptionText& g) { edit::deleteServices(l, cli::operandRows(g, g.text, l)); }},
        {"--set-provider", "ROWS=PROVIDER", "set the services' provider row",
         [](ChannelList& l, const OptionText& g) {
             setOnRows(l, g, [&](edit::ServiceChanges& c, S v) {
                 c.providerIndex = static_cast<std::uint32_t>(cli::operandRow(g, v, l, RowTable::Providers));
             });
         }},
        {"--set-ts", "ROWS=TS", "set the services' TS row",
         [](ChannelList& l, const OptionText& g) {
             setOnRows(l, g, [&](edit::ServiceChanges& c, S v) { c.tsIndex = cli::operandNumber(g, v, 0xFFFFFFFF); });
         }},
        {"--set-flag3", "ROWS=BOOL", "set the first flag column",
         [](ChannelList& l, const OptionText& g) {
             setOnRows(l, g, [&](edit::ServiceChanges& c, S v) { c.flag3 = cli::operandBool(g, v); });
         }},
        {"--set-flag1", "ROWS=BOOL", "set the second flag column",
         [](ChannelList& l, const OptionText& g) {
             setOnRows(l, g, [&](edit::ServiceChanges& c, S v) { c.flag1 = cli::operandBool(g, v); });
         }},
        {"--set-flag0", "ROWS=BOOL", "set the third flag column",
         [](ChannelList& l, const OptionText& g) {
             setOnRows(l, g, [&](edit::ServiceChanges& c, S v) { c.flag0 = cli::operandBool(g, v); });
         }},
        {"--set-value", "ROWS=0..15", "set the services' 0..15 value",
         [](ChannelList& l, const OptionText& g) {
             setOnRows(l, g, [&](edit::ServiceChanges& c, S v) {
                 c.nibble = static_cast<std::uint8_t>(cli::operandNumber(g, v, 15));
             });
         }},
        {"--number", "ROW=N", "set a service's channel number (0 = none)",
         [](ChannelList& l, const OptionText& g) {
             const auto [row, number] = cli::splitOperand(g, g.text, '=');
             edit::setChannelNumber(l, cli::operandRow(g, row, l, RowTable::Services),
                                    static_cast<std::uint16_t>(cli::operandNumber(g, number, 0xFFFF)));
         }},
        {"--renumber", "LIST[:FIRST]", "number video or audio services 1..n (or FIRST..) in their order",
         [](ChannelList& l, const OptionText& g) {
             const auto f = cli::fieldsOf(g.text, ':');
             const auto first = f.size() > 1 ? cli::operandNumber(g, f[1], 0xFFFF) : 1u;
             edit::renumberServices(l, cli::operandGroup(g, f[0]), static_cast<std::uint16_t>(first));
         }},
        {"--add-provider", "NAME", "add a provider at the end",
         [](ChannelList& l, const OptionText& g) { edit::addProvider(l, edit::receiverTextFromUtf8(g.text)); }},
        {"--rename-provider", "ROW=NAME", "rename a provider",
         [](ChannelList& l, const OptionText& g) {
             const auto [row, name] = cli::splitOperand(g, g.text, '=');
             edit::renameProvider(l, cli::operandRow(g, row, l, RowTable::Providers), edit::receiverTextFromUtf8(name));
         }},
        {"--delete-provider", "ROW[:TAKER]", "delete a provider; TAKER takes over its services",
         [](ChannelList& l, const OptionText& g) {
             std::size_t row = 0;
             const auto taker = takeOverOf(g, g.text, l, RowTable::Providers, row);
             edit::deleteProvider(l, row, taker);
         }},
        {"--add-network", "NAME", "add a network at the end",
         [](ChannelList& l, const OptionText& g) { edit::addNetwork(l, edit::receiverTextFromUtf8(g.text)); }},
        {"--rename-network", "ROW=NAME", "rename a network",
         [](ChannelList& l, const OptionText& g) {
             const auto [row, name] = cli::splitOperand(g, g.text, '=');
             edit::renameNetwork(l, cli::operandRow(g, row, l, RowTable::Networks), edit::receiverTextFromUtf8(name));
         }},
        {"--delete-network", "ROW[:TAKER]", "delete a network; TAKER takes over its TS",
         [](ChannelList& l, const OptionText& g) {
             std::size_t row = 0;
             const auto taker = takeOverOf(g, g.text, l, RowTable::Networks, row);
             edit::deleteNetwork(l, row, taker);
         }},
        {"--ts", "ROW=N,NET,N,N,N,N,N,N", "set the 8 numbers of a TS row (the columns of its QNF line)",
         [](ChannelList& l, const OptionText& g) {
             const auto [row, numbers] = cli::splitOperand(g, g.text, '=');
             const std::size_t r = cli::operandNumber(g, row, 0xFFFF);
             if (r >= l.database().tsCount) {
                 cli::refuseOperand(g, "TS row " + row + " does not exist: the list has " +
                                           std::to_string(l.database().tsCount) + " TS");
             }
             edit::setTs(l, r, tsOf(g, numbers, l, r));
         }},
        {"--antenna", "POS=N,N,N,N,N,N,N,NAME", "set an antenna (7 numbers and a name)",
         [](ChannelList& l, const OptionText& g) {
             const auto [row, fields] = cli::splitOperand(g, g.text, '=');
             edit::setAntenna(l, cli::operandNumber(g, row, 0xFFFF), antennaOf(g, fields, l));
         }},
        {"--fav-add", "G:L:ENTRY[:INDEX]", "add an entry to favourite list L of group G (0 video, 1 audio)",
         [](ChannelList& l, const OptionText& g) {
             const auto f = cli::fieldsOf(g.text, ':');
             if (f.size() < 3 || f.size() > 4) {
                 cli::refuseOperand(g, "expected GROUP:LIST:ENTRY[:INDEX]");
             }
             const auto [group, list] = favouriteListOf(g, f);
             const auto index =
                 f.size() == 4 ? std::optional<std::size_t>(cli::operandNumber(g, f[3], 0xFFFF)) : std::nullopt;
             edit::addFavourite(l, group, list, static_cast<std::uint16_t>(cli::operandNumber(g, f[2], 0xFFFF)), index);
         }},
        {"--fav-remove", "G:L:INDEX", "remove the entry at INDEX of a favourite list",
         [](ChannelList& l, const OptionText& g) {
             const auto f = cli::fieldsOf(g.text, ':');
             if (f.size() != 3) {
                 cli::refuseOperand(g, "expected GROUP:LIST:INDEX");
             }
             const auto [group, list] = favouriteListOf(g, f);
             edit::removeFavourites(l, group, list, {cli::operandNumber(g, f[2], 0xFFFF)});
         }},
        {"--fav-move", "G:L:FROM:TO", "move an entry of a favourite list",
         [](ChannelList& l, const OptionText& g) {
             const auto f = cli::fieldsOf(g.text, ':');
             if (f.size() != 4) {
                 cli::refuseOperand(g, "expected GROUP:LIST:FROM:TO");
             }
             const auto [group, list] = favouriteListOf(g, f);
             edit::moveFavourite(l, group, list, cli::operandNumber(g, f[2], 0xFFFF),
                                 cli::operandNumber(g, f[3], 0xFFFF));
         }},
        {"--menu", "N=VALUE", "set menu value N (1..44)",
         [](ChannelList& l, const OptionText& g) {
             const auto [number, value] = cli::splitOperand(g, g.text, '=');
             std::int64_t v = 0;
             const auto [stop, error] = std::from_chars(value.data(), value.data() + value.size(), v);
             if (value.empty() || error != std::errc() || stop != value.data() + value.size()) {
                 cli::refuseOperand(g, "'" + value + "' is not a number");
             }
             edit::setMenuValue(l, static_cast<int>(cli::operandNumber(g, number, 0xFFFF)), v);
         }},
        {"--menu-time", "[-]H:MM", "set the menu's time value (menu value 5)",
         [](ChannelList& l, const OptionText& g) {
             std::string text = g.text;
             const bool negative = text.starts_with("-");
             const auto [hours, minutes] = cli::splitOperand(g, negative ? text.substr(1) : text, ':');
             edit::setMenuTime(l, {negative, static_cast<int>(cli::operandNumber(g, hours, 0xFFFF)),
                                   static_cast<int>(cli::operandNumber(g, minutes, 0xFFFF))});
         }},
    };
}

struct EditOptions {
    std::string input;
    std::string output;
    std::uint32_t modelCode = 0;
    std::uint32_t configVariant = 0;
    bool variantGiven = false;
    bool dryRun = false;
    bool container = false;
    bool keepFavouriteEntries = false;
    std::map<const CLI::Option*, const OperationOption*> operationOf;
    std::vector<OperationOption> table = operations();
};

void run(EditOptions& options, const CLI::App& command) {
    const auto model = static_cast<std::uint8_t>(options.modelCode);
    const auto variant = options.variantGiven ? std::optional<std::uint8_t>(options.configVariant) : std::nullopt;
    ChannelList list = cli::openChannelList(options.input, model, variant);
    list.setFavouritesFollowServices(!options.keepFavouriteEntries);
    const std::string before = list.qnfText();
    // CLI11 keeps the options in the order they were given; each occurrence takes its next value.
    std::map<const CLI::Option*, std::size_t> taken;
    std::size_t applied = 0;
    for (const CLI::Option* option : command.parse_order()) {
        const auto found = options.operationOf.find(option);
        if (found == options.operationOf.end()) {
            continue;
        }
        const OptionText given{found->second->name, option->results().at(taken[option]++)};
        try {
            found->second->run(list, given);
        } catch (const edit::EditError& refused) {
            throw cli::CommandFailure(given.option + " " + given.text + ": " + refused.what() +
                                      (applied == 0 ? "" : "; nothing written"));
        }
        ++applied;
    }
    if (options.dryRun) {
        for (const auto& f : list.findings()) {
            std::cout << options.output << ": " << channeldb::formatFinding(f.finding) << '\n';
        }
        cli::printChangedLines(std::cout, before, list.qnfText());
        if (list.hasErrors()) {
            throw cli::CommandFailure(options.output + ": the edited list holds errors model " + std::to_string(model) +
                                      " cannot represent");
        }
        return;
    }
    cli::refuseListWithErrors(list, options.output, std::cerr);
    cli::writeChannelList(list, options.output, options.container);
    std::cout << "wrote " << options.output << ": " << applied << (applied == 1 ? " operation" : " operations") << ", "
              << list.findings().size() << (list.findings().size() == 1 ? " warning" : " warnings") << '\n';
}

void install(CLI::App& app) {
    auto options = std::make_shared<EditOptions>();
    CLI::App* command = app.add_subcommand(
        "edit", "Edit a channel list: the editor's operations as options, applied in the order given");
    command->add_option("IN", options->input, "QNF list, compressed list, or uploaded image (with --variant)")
        ->required();
    command->add_option("OUT", options->output, "list to write (replaced whole when every operation holds)")
        ->required();
    cli::addNumberOption(*command, "--model", options->modelCode, "receiver model code (0..5)", 5)->required();
    cli::addNumberOption(*command, "--variant", options->configVariant,
                         "configuration variant (0..255), when IN is an uploaded image", 0xFF);
    command->add_flag("--dry-run", options->dryRun, "write nothing; show the findings and the lines that would change");
    command->add_flag("--container", options->container, "write OUT as a compressed (LZH) list");
    command->add_flag("--keep-favourite-entries", options->keepFavouriteEntries,
                      "leave favourite entries as they are when a renumbering, sort, move or delete would have them "
                      "name other services (by default they follow their services)");
    for (const OperationOption& operation : options->table) {
        CLI::Option* option = command->add_option(operation.name, operation.help)
                                  ->type_name(operation.operand)
                                  ->expected(1)
                                  ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                                  ->allow_extra_args(false)
                                  ->group("Operations");
        options->operationOf.emplace(option, &operation);
    }
    command->callback([options, command] {
        options->variantGiven = command->count("--variant") > 0;
        run(*options, *command);
    });
}

const cli::CommandRegistration registration(30, install);

}  // namespace
