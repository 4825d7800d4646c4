#include "bv3/gui_loader.h"

#include "bv3/command_registry.h"
#include "platform/dynamic_library.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace bv3::cli {

namespace {

// By bare name through bv3's RUNPATH; failing that (a sanitizer's loader does not see the
// RUNPATH) from lib/bv3 beside the program's own folder, the build tree's layout.
platform::DynamicLibrary* openModule() {
    try {
        return new platform::DynamicLibrary(BV3_GUI_MODULE_FILE);
    } catch (const platform::DynamicLibraryError& failure) {
        std::error_code error;
        const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
        const auto beside = program.parent_path().parent_path() / "lib" / "bv3" / BV3_GUI_MODULE_FILE;
        if (!error && std::filesystem::exists(beside, error)) {
            try {
                return new platform::DynamicLibrary(beside.string());
            } catch (const platform::DynamicLibraryError&) {
            }
        }
        throw CommandFailure(std::string("the windows of bv3 are not available: ") + failure.what());
    }
}

// The module stays loaded for the life of the process: the toolkit it brings keeps its
// application object and threads until exit, and unloading them under it would crash.
platform::DynamicLibrary& guiModule() {
    static platform::DynamicLibrary* module = openModule();  // never freed, see above
    const auto version = reinterpret_cast<Bv3GuiVersionEntry>(module->symbol(BV3_GUI_VERSION_SYMBOL));
    if (version == nullptr || version() != BV3_GUI_MODULE_VERSION) {
        throw CommandFailure("the windows of bv3 are not available: " + module->fileName() +
                             " belongs to another version of bv3");
    }
    return *module;
}

template <class Entry>
Entry entryPoint(const char* name) {
    const auto entry = reinterpret_cast<Entry>(guiModule().symbol(name));
    if (entry == nullptr) {
        throw CommandFailure(std::string("the windows of bv3 are not available: ") + BV3_GUI_MODULE_FILE +
                             " has no " + name);
    }
    return entry;
}

void raiseOnFailure(int status, const std::array<char, 1024>& message) {
    if (status != bv3GuiOk) {
        throw CommandFailure(message.data());
    }
}

}  // namespace

void runGuiAbout(const std::string& screenshot) {
    const auto entry = entryPoint<Bv3GuiAboutEntry>(BV3_GUI_ABOUT_SYMBOL);
    std::array<char, 1024> message{};
    raiseOnFailure(entry(screenshot.c_str(), message.data(), message.size()), message);
}

void runGuiTransfer(const Bv3GuiTransfer& request) {
    const auto entry = entryPoint<Bv3GuiTransferEntry>(BV3_GUI_TRANSFER_SYMBOL);
    std::array<char, 1024> message{};
    raiseOnFailure(entry(&request, message.data(), message.size()), message);
}

}  // namespace bv3::cli
