#pragma once
// Tells whether a file was written between two moments. The encoder's result says nothing we
// may rely on, so the build judges by the output file itself: it must exist afterwards and be
// new or changed (in modification time or size) since just before the call.

#include <filesystem>
#include <optional>
#include <string>

namespace bv3::qdfbuild {

class OutputWitness {
public:
    // Notes the state of path now.
    explicit OutputWitness(std::string path);

    // True when path is now a regular file that did not exist before or differs from then.
    [[nodiscard]] bool writtenSince() const;

private:
    struct Snapshot {
        std::filesystem::file_time_type modified;
        std::uintmax_t size = 0;
        bool operator==(const Snapshot&) const = default;
    };
    static std::optional<Snapshot> take(const std::string& path);

    std::string path_;
    std::optional<Snapshot> before_;
};

}  // namespace bv3::qdfbuild
