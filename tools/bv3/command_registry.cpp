#include "bv3/command_registry.h"

#include "bv3/number_text.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace bv3::cli {

namespace {
std::vector<std::pair<int, CommandInstaller>>& registry() {
    static std::vector<std::pair<int, CommandInstaller>> installers;
    return installers;
}
}  // namespace

CommandRegistration::CommandRegistration(int order, CommandInstaller installer) {
    registry().emplace_back(order, installer);
}

void installRegisteredCommands(CLI::App& app) {
    auto installers = registry();
    std::stable_sort(installers.begin(), installers.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : installers) {
        entry.second(app);
    }
}

std::uint32_t parseNumber(const std::string& text, const std::string& what, std::uint32_t max) {
    const auto value = numberFromText(text, max);
    if (!value) {
        throw CLI::ValidationError(what, "'" + text + "' is not a number from 0 to " + std::to_string(max) +
                                             " (decimal or 0x-hex)");
    }
    return *value;
}

CLI::Option* addNumberOption(CLI::App& command, const std::string& name, std::uint32_t& target,
                             const std::string& description, std::uint32_t max) {
    return command
        .add_option_function<std::string>(
            name, [&target, name, max](const std::string& text) { target = parseNumber(text, name, max); },
            description)
        ->type_name("N");
}

namespace {

CLI::Option* addModelOption(CLI::App& command, std::uint32_t& modelCode, std::uint32_t modelMax = 5) {
    return addNumberOption(command, "--model", modelCode, "receiver model code (0-5)", modelMax)->required();
}

CLI::Option* addVariantOption(CLI::App& command, std::uint32_t& configVariant, const std::string& use = "") {
    return addNumberOption(command, "--variant", configVariant, "configuration variant (0-255)" + use, 0xFF);
}

}  // namespace

void addReceiverLayoutOptions(CLI::App& command, ReceiverLayout& layout) {
    addVariantOption(command, layout.configVariant)->required();
    addModelOption(command, layout.modelCode);
}

void addListOptions(CLI::App& command, ListOptions& options, const std::string& name, const std::string& description,
                    VariantNeed variant, std::uint32_t modelMax) {
    command.add_option(name, options.list, description)->required();
    addModelOption(command, options.layout.modelCode, modelMax);
    if (variant == VariantNeed::Required) {
        addVariantOption(command, options.layout.configVariant)->required();
    } else {
        addVariantOption(command, options.layout.configVariant, ", for uploaded images");
    }
}

void addAllowEmptyFlag(CLI::App& command, bool& allowEmpty) {
    command.add_flag("--allow-empty", allowEmpty, "accept a list without services (its images empty the receiver)");
}

void addProgressOptions(CLI::App& command, ProgressMode& mode) {
    auto* progress = command.add_flag_callback(
        "--progress", [&mode] { mode = ProgressMode::Always; },
        "show running progress even when stderr is not a terminal");
    auto* quiet =
        command.add_flag_callback("--quiet,-q", [&mode] { mode = ProgressMode::Quiet; }, "print nothing but errors");
    progress->excludes(quiet);
}

}  // namespace bv3::cli
