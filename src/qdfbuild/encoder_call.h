#pragma once
// The one call into the encoder library: load it by name, look up its entry, call the entry
// once with the loader configuration and the output path, unload it.

#include "platform/library_entry.h"

#include <string>

namespace bv3::qdfbuild {

// The entry's signature: two zero-terminated 8-bit strings; the result is not used.
using EncodeQdfEntry = int(BV3_LIBRARY_ENTRY*)(const char* configPath, const char* outputPath);

// Throws QdfBuildError naming the library when it cannot be loaded or lacks the entry; the
// entry is then not called. The library is unloaded before this returns, however it returns.
void callEncoder(const std::string& libraryName, const std::string& configPath, const std::string& outputPath);

}  // namespace bv3::qdfbuild
