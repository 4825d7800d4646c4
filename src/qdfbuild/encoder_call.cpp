#include "qdfbuild/encoder_call.h"

#include "platform/dynamic_library.h"
#include "qdfbuild/build_names.h"
#include "qdfbuild/qdf_build_error.h"

#include <cstring>

namespace bv3::qdfbuild {

void callEncoder(const std::string& libraryName, const std::string& configPath, const std::string& outputPath) {
    platform::DynamicLibrary library = [&] {
        try {
            return platform::DynamicLibrary(libraryName);
        } catch (const platform::DynamicLibraryError& failure) {
            throw QdfBuildError("cannot build the download image \"" + outputPath +
                                "\": the encoder is missing: " + failure.what());
        }
    }();
    void* address = library.symbol(encoderEntryName);
    if (address == nullptr) {
        throw QdfBuildError("cannot build the download image \"" + outputPath + "\": the encoder library \"" +
                            libraryName + "\" (" + library.fileName() + ") has no entry " + encoderEntryName);
    }
    // The loader hands out an object address; the entry is a function. memcpy is the
    // conversion that every compiler accepts without a warning.
    EncodeQdfEntry entry = nullptr;
    static_assert(sizeof entry == sizeof address);
    std::memcpy(&entry, &address, sizeof entry);
    entry(configPath.c_str(), outputPath.c_str());
    library.close();
}

}  // namespace bv3::qdfbuild
