// bv3 diff A B --model MC [--variant CV] [--json]: what differs between two channel lists, in
// the editor's terms. Exit status as diff(1): 0 the same, 1 different, 2 trouble.
#include "bv3/command_registry.h"
#include "bv3/list_comparison.h"
#include "edit/list_diff.h"
#include "edit/list_diff_report.h"

#include <iostream>
#include <optional>

namespace {

struct DiffOptions {
    bv3::cli::ListOptions first;
    std::string second;
    std::uint32_t secondModel = 0;
    std::uint32_t secondVariant = 0;
    bool json = false;
    bool all = false;
    bool variantGiven = false;
    bool secondModelGiven = false;
    bool secondVariantGiven = false;
};

std::optional<std::uint8_t> variantOf(bool given, std::uint32_t value) {
    return given ? std::optional(static_cast<std::uint8_t>(value)) : std::nullopt;
}

int runDiff(const DiffOptions& o) {
    const auto model = o.first.layout.model();
    const auto secondModel = o.secondModelGiven ? static_cast<std::uint8_t>(o.secondModel) : model;
    const auto variant = variantOf(o.variantGiven, o.first.layout.configVariant);
    const auto secondVariant = o.secondVariantGiven ? variantOf(true, o.secondVariant) : variant;
    if (secondModel != model) {
        throw bv3::cli::CommandFailure("cannot compare a list of model " + std::to_string(model) +
                                       " with one of model " + std::to_string(secondModel) +
                                       ": their receivers hold different lists");
    }
    if (variant && secondVariant && *variant != *secondVariant) {
        throw bv3::cli::CommandFailure("cannot compare images of configuration variants " + std::to_string(*variant) +
                                       " and " + std::to_string(*secondVariant));
    }
    const auto a = bv3::cli::openListToCompare(o.first.list, model, variant);
    const auto b = bv3::cli::openListToCompare(o.second, secondModel, secondVariant);
    const auto diff = bv3::edit::diffLists(a.database(), b.database());
    if (o.json) {
        std::cout << bv3::edit::diffJson(diff);
    } else {
        std::cout << bv3::edit::diffText(diff, {.limit = o.all ? 0u : bv3::edit::DiffTextOptions{}.limit});
    }
    std::cout.flush();
    return diff.same() ? 0 : 1;
}

void install(CLI::App& app) {
    auto options = std::make_shared<DiffOptions>();
    auto* command = app.add_subcommand(
        "diff", "Show what differs between two channel lists (exit 0 the same, 1 different, 2 trouble)");
    bv3::cli::addListOptions(*command, options->first, "A",
                             "QNF list, compressed list, or uploaded image (with --variant)",
                             bv3::cli::VariantNeed::ForUploadedImages);
    command->add_option("B", options->second, "the list to compare A with, of the same kinds")->required();
    bv3::cli::addNumberOption(*command, "--model-b", options->secondModel, "B's model, if not A's (must match)", 5);
    bv3::cli::addNumberOption(*command, "--variant-b", options->secondVariant,
                              "B's configuration variant, if not A's (must match)", 0xFF);
    command->add_flag("--json", options->json, "print one JSON object instead of the report");
    command->add_flag("--all", options->all, "list every change instead of counting the rest of long sections");
    command->callback([options, command] {
        options->variantGiven = command->count("--variant") > 0;
        options->secondModelGiven = command->count("--model-b") > 0;
        options->secondVariantGiven = command->count("--variant-b") > 0;
        int status = 2;
        try {
            status = runDiff(*options);
        } catch (const std::exception& trouble) {
            throw bv3::cli::CommandExit(2, trouble.what());
        }
        if (status != 0) {
            throw bv3::cli::CommandExit(status, "");
        }
    });
}

const bv3::cli::CommandRegistration registration(33, install);

}  // namespace
