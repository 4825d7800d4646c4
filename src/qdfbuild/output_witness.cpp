#include "qdfbuild/output_witness.h"

#include <system_error>

namespace bv3::qdfbuild {

OutputWitness::OutputWitness(std::string path) : path_(std::move(path)), before_(take(path_)) {}

std::optional<OutputWitness::Snapshot> OutputWitness::take(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    Snapshot snapshot;
    snapshot.modified = std::filesystem::last_write_time(path, error);
    if (error) {
        return std::nullopt;
    }
    snapshot.size = std::filesystem::file_size(path, error);
    if (error) {
        return std::nullopt;
    }
    return snapshot;
}

bool OutputWitness::writtenSince() const {
    const auto after = take(path_);
    return after.has_value() && (!before_.has_value() || *after != *before_);
}

}  // namespace bv3::qdfbuild
