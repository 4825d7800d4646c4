// bv3 about [--screenshot FILE]: shows the library's about box.
#include "bv3/command_registry.h"
#include "ui/about_box.h"
#include "ui/application.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

namespace {

void install(CLI::App& app) {
    auto screenshot = std::make_shared<std::string>();
    auto* command = app.add_subcommand("about", "show the about box");
    command->add_option("--screenshot", *screenshot, "save a picture of the box (PNG) and close it");
    command->callback([screenshot] {
        bv3::ui::application();
        bv3::ui::TfrmMain box;
        bool saved = true;
        if (!screenshot->empty()) {
            QTimer::singleShot(0, &box, [&box, &saved, screenshot] {
                saved = box.grab().save(QString::fromLocal8Bit(screenshot->c_str()), "PNG");
                box.close();
            });
        }
        box.exec();
        if (!saved) {
            throw bv3::cli::CommandFailure("cannot write the screenshot " + *screenshot);
        }
    });
}

const bv3::cli::CommandRegistration registration(70, install);

}  // namespace
