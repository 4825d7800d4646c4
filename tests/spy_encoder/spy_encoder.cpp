// A stand-in for the encoder library that tells the tests what the build driver gave it.
// Built as libtqrdll12.so into a directory of its own that only the test programs search.
//
// Each call appends "configPath<TAB>outputPath" to $BV3_SPY_DIR/calls.log and copies
// qorda.cfg, Config.raw and Service.raw, as they are during the call, to
// $BV3_SPY_DIR/<call number>-<name> (a file absent during the call is not copied).
// $BV3_SPY_MODE chooses what it then does with the output:
//   unset or "write"  writes "SPY QDF" followed by the configuration's bytes, returns 0
//   "nothing"         writes nothing and returns 0 (an encoder that silently did no work)
//   "fail"            writes nothing and returns 1
#include "platform/library_entry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

int countCalls(const fs::path& log) {
    std::ifstream in(log);
    int lines = 0;
    for (std::string line; std::getline(in, line);) {
        ++lines;
    }
    return lines;
}

}  // namespace

extern "C" BV3_LIBRARY_EXPORT int BV3_LIBRARY_ENTRY EncodeQDF(const char* configPath, const char* outputPath) {
    const fs::path spyDirectory = environment("BV3_SPY_DIR");
    if (!spyDirectory.empty()) {
        fs::create_directories(spyDirectory);
        const fs::path log = spyDirectory / "calls.log";
        const int call = countCalls(log) + 1;
        std::ofstream(log, std::ios::app) << configPath << '\t' << outputPath << '\n';
        for (const char* name : {"qorda.cfg", "Config.raw", "Service.raw"}) {
            std::error_code ignored;
            fs::copy_file(name, spyDirectory / (std::to_string(call) + "-" + name), ignored);
        }
    }
    const std::string mode = environment("BV3_SPY_MODE");
    if (mode == "fail") {
        return 1;
    }
    if (mode == "nothing") {
        return 0;
    }
    std::ifstream config(configPath, std::ios::binary);
    const std::string configText((std::istreambuf_iterator<char>(config)), std::istreambuf_iterator<char>());
    std::ofstream(outputPath, std::ios::binary) << "SPY QDF\n" << configText;
    return 0;
}
