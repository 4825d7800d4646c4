#pragma once
// Each bv3 command registers itself from its own file with a static CommandRegistration,
// so adding a command never touches main.cpp.

#include "bv3/progress_mode.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace bv3::cli {

using CommandInstaller = void (*)(CLI::App& app);

// order only sorts the help listing.
struct CommandRegistration {
    CommandRegistration(int order, CommandInstaller installer);
};

void installRegisteredCommands(CLI::App& app);

// A failure the tool reports as "bv3: <message>" and exit status 1.
class CommandFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Ends the tool with status, after "bv3: <message>" when the message is not empty: for commands
// whose status says more than success or failure (bv3 diff: 0 same, 1 different, 2 trouble).
class CommandExit : public std::runtime_error {
public:
    CommandExit(int status, const std::string& message) : std::runtime_error(message), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

// Numbers on the command line are decimal or 0x-hex. Throws CLI::ValidationError (exit 2)
// for anything else or a value above max.
std::uint32_t parseNumber(const std::string& text, const std::string& what, std::uint32_t max = 0xFFFFFFFFu);

// Adds an option that takes a decimal or 0x-hex number up to max.
CLI::Option* addNumberOption(CLI::App& command, const std::string& name, std::uint32_t& target,
                             const std::string& description, std::uint32_t max = 0xFFFFFFFFu);

// The layout of a receiver's images: the configuration variant and the model code.
struct ReceiverLayout {
    std::uint32_t configVariant = 0;
    std::uint32_t modelCode = 0;
    std::uint8_t variant() const { return static_cast<std::uint8_t>(configVariant); }
    std::uint8_t model() const { return static_cast<std::uint8_t>(modelCode); }
};

// Adds the required --variant and --model options of the commands that read or write images.
void addReceiverLayoutOptions(CLI::App& command, ReceiverLayout& layout);

// A channel list given on the command line (a QNF list, a compressed list or an uploaded image)
// and the receiver it belongs to.
struct ListOptions {
    std::string list;
    ReceiverLayout layout;
};

// Whether a command needs --variant: always, or only to read an uploaded image.
enum class VariantNeed { Required, ForUploadedImages };

// Adds the list's positional argument (name, description), the required --model and --variant,
// required or optional as variant says. --model takes 0 to modelMax: a command that leaves an
// unknown model to the build (which names the known ones) passes 255.
void addListOptions(CLI::App& command, ListOptions& options, const std::string& name, const std::string& description,
                    VariantNeed variant, std::uint32_t modelMax = 5);
// Adds --allow-empty: accept a list without services, whose images would empty the receiver.
void addAllowEmptyFlag(CLI::App& command, bool& allowEmpty);
// Adds --progress (running updates even when stderr is no terminal) and --quiet (nothing but
// errors), which exclude each other.
void addProgressOptions(CLI::App& command, ProgressMode& mode);

}  // namespace bv3::cli
