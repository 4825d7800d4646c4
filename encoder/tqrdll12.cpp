// tqrdll12 (libtqrdll12.so, tqrdll12.dll): the stand-in for the receiver maker's encoder library. Its one entry takes
// the loader configuration and the output path, exactly as the build driver calls the maker's
// library, and writes a download image in our own format.
#include "platform/library_entry.h"
#include "qdf_encoder.h"

#include <cstdio>
#include <exception>

// Returns 0 when the image was written, 1 when not; the reason goes to stderr because the
// entry has no other channel for it (the driver does not read the result; it checks that the
// output was written).
extern "C" BV3_LIBRARY_EXPORT int BV3_LIBRARY_ENTRY EncodeQDF(const char* configPath, const char* outputPath) {
    try {
        if (configPath == nullptr || outputPath == nullptr) {
            std::fputs("tqrdll12: EncodeQDF needs a configuration and an output path\n", stderr);
            return 1;
        }
        bv3::qdf::encodeQdfFile(configPath, outputPath);
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tqrdll12: %s\n", failure.what());
    } catch (...) {
        std::fputs("tqrdll12: unexpected failure\n", stderr);
    }
    return 1;
}
