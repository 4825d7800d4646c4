// bv3 about [--screenshot FILE]: shows the library's about box.
#include "bv3/command_registry.h"
#include "ui/qt/about_box.h"
#include "ui/qt/application.h"

#include <memory>

namespace {

void install(CLI::App& app) {
    auto screenshot = std::make_shared<std::string>();
    auto* command = app.add_subcommand("about", "show the about box");
    command->add_option("--screenshot", *screenshot, "save a picture of the box (PNG) and close it");
    command->callback([screenshot] {
        bv3::ui::application();
        bool saved = true;
        bv3::ui::runAboutBox(*screenshot, &saved);
        if (!saved) {
            throw bv3::cli::CommandFailure("cannot write the screenshot " + *screenshot);
        }
    });
}

const bv3::cli::CommandRegistration registration(70, install);

}  // namespace
