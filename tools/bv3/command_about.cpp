// bv3 about [--screenshot FILE]: shows the library's about box (from the windowed part).
#include "bv3/command_registry.h"
#include "bv3/gui_loader.h"

#include <memory>

namespace {

void install(CLI::App& app) {
    auto screenshot = std::make_shared<std::string>();
    auto* command = app.add_subcommand("about", "show the about box");
    command->add_option("--screenshot", *screenshot, "save a picture of the box (PNG) and close it");
    command->callback([screenshot] { bv3::cli::runGuiAbout(*screenshot); });
}

const bv3::cli::CommandRegistration registration(70, install);

}  // namespace
