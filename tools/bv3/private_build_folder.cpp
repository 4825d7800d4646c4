#include "bv3/private_build_folder.h"

#include "bv3/command_registry.h"

#include <random>
#include <string>

namespace bv3::cli {

namespace {

namespace fs = std::filesystem;

fs::path makePrivateFolder() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt <= 100; ++attempt) {
        const fs::path candidate = base / ("bv3-build-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            fs::permissions(candidate, fs::perms::owner_all);
            return candidate;
        }
    }
    throw CommandFailure("cannot create a private build folder in " + base.string());
}

}  // namespace

PrivateBuildFolder::PrivateBuildFolder() : previous_(fs::current_path()), folder_(makePrivateFolder()) {
    fs::current_path(folder_);
}

PrivateBuildFolder::~PrivateBuildFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(folder_, ignored);
}

ScratchFolder::ScratchFolder() : folder_(makePrivateFolder()) {}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

}  // namespace bv3::cli
