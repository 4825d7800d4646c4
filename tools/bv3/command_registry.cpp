#include "bv3/command_registry.h"

#include <algorithm>
#include <charconv>
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
    std::string_view digits(text);
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    if (digits.empty() || error != std::errc() || stop != end || value > max) {
        throw CLI::ValidationError(what, "'" + text + "' is not a number from 0 to " + std::to_string(max) +
                                             " (decimal or 0x-hex)");
    }
    return static_cast<std::uint32_t>(value);
}

CLI::Option* addNumberOption(CLI::App& command, const std::string& name, std::uint32_t& target,
                             const std::string& description, std::uint32_t max) {
    return command
        .add_option_function<std::string>(
            name, [&target, name, max](const std::string& text) { target = parseNumber(text, name, max); },
            description)
        ->type_name("N");
}

void addReceiverLayoutOptions(CLI::App& command, ReceiverLayout& layout) {
    addNumberOption(command, "--variant", layout.configVariant, "configuration variant (0..255)", 0xFF)->required();
    addNumberOption(command, "--model", layout.modelCode, "receiver model code (0..5)", 5)->required();
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
