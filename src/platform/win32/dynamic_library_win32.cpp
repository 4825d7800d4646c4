// LoadLibraryA/GetProcAddress/FreeLibrary behind DynamicLibrary. A bare name is searched the
// loader's standard way: the host program's directory first, then the system directories,
// the current directory and PATH; so a tqrdll12.dll beside the host is the one found.
#include "platform/dynamic_library.h"
#include "platform/win32/windows_api.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace bv3::platform {

namespace {

std::string lastLoaderError() {
    const DWORD code = GetLastError();
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' ')) {
        reason.pop_back();
    }
    char number[32];
    std::snprintf(number, sizeof number, "error %lu", static_cast<unsigned long>(code));
    return reason.empty() ? std::string(number) : reason + " (" + number + ")";
}

HMODULE toModule(void* handle) {
    return static_cast<HMODULE>(handle);
}

}  // namespace

// Windows spells library names the way the rest of the library does.
std::string DynamicLibrary::platformFileName(const std::string& name) {
    return name;
}

DynamicLibrary::DynamicLibrary(const std::string& name) : name_(name), fileName_(platformFileName(name)) {
    // No error dialog of the system's own when the library or one it needs is missing: the
    // caller reports the failure in its own words.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(fileName_.c_str());
    const std::string reason = module == nullptr ? lastLoaderError() : std::string();
    SetErrorMode(previousMode);
    if (module == nullptr) {
        throw DynamicLibraryError("cannot load the library \"" + name_ + "\": " + reason);
    }
    handle_ = module;
}

void* DynamicLibrary::symbol(const std::string& symbolName) const {
    if (handle_ == nullptr) {
        return nullptr;
    }
    // GetProcAddress hands out a function address typed as FARPROC; the caller converts it
    // back to the entry's own type.
    FARPROC address = GetProcAddress(toModule(handle_), symbolName.c_str());
    void* result = nullptr;
    static_assert(sizeof result == sizeof address);
    std::memcpy(&result, &address, sizeof result);
    return result;
}

void DynamicLibrary::close() noexcept {
    if (handle_ != nullptr) {
        FreeLibrary(toModule(handle_));
        handle_ = nullptr;
    }
}

}  // namespace bv3::platform
