// dlopen/dlsym/dlclose behind DynamicLibrary. dlopen resolves a bare name against
// LD_LIBRARY_PATH and then the RUNPATH of the object that calls it, which is why the library
// and the tools carry a RUNPATH that points at the directory holding the stand-in encoder.
#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace bv3::platform {

namespace {

bool endsWithIgnoringCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

std::string lastLoaderError() {
    const char* text = dlerror();
    return text != nullptr ? std::string(text) : std::string("unknown reason");
}

}  // namespace

std::string DynamicLibrary::platformFileName(const std::string& name) {
    if (name.find('/') != std::string::npos || !endsWithIgnoringCase(name, ".dll") || name.size() == 4) {
        return name;
    }
    return "lib" + name.substr(0, name.size() - 4) + ".so";
}

DynamicLibrary::DynamicLibrary(const std::string& name) : name_(name), fileName_(platformFileName(name)) {
    // RTLD_LOCAL keeps the library's symbols out of the global namespace, so two libraries
    // that both export EncodeQDF (the encoder and a test's spy) never bind to each other.
    handle_ = dlopen(fileName_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        throw DynamicLibraryError("cannot load the library \"" + name_ + "\" (searched as \"" + fileName_ +
                                  "\"): " + lastLoaderError());
    }
}

void* DynamicLibrary::symbol(const std::string& symbolName) const {
    if (handle_ == nullptr) {
        return nullptr;
    }
    return dlsym(handle_, symbolName.c_str());
}

void DynamicLibrary::close() noexcept {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

}  // namespace bv3::platform
