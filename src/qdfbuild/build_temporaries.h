#pragma once
// The build's temporary files, in a work folder or the current directory. Whatever was written is deleted when
// the build ends, however it ends, in the order the build fixes; a deletion that fails is
// ignored (the build's result does not depend on it). A file of one of the names that the
// build did not write is never overwritten nor deleted: refuseExisting() stops the build
// before it begins.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bv3::qdfbuild {

class BuildTemporaries {
public:
    // deletionOrder lists every name write() may be given, in the order they are deleted. The
    // files stand in folder, or in the current directory when folder is empty.
    BuildTemporaries(std::filesystem::path folder, std::vector<std::string> deletionOrder);
    ~BuildTemporaries();
    BuildTemporaries(const BuildTemporaries&) = delete;
    BuildTemporaries& operator=(const BuildTemporaries&) = delete;

    // Throws QdfBuildError naming the first of the names that already exists (a file, a
    // folder or a link): it belongs to somebody else.
    void refuseExisting() const;
    // Writes the file whole (through a temporary beside it). Throws QdfBuildError naming the
    // file and the reason; a file that failed is not there, and counts as not written.
    void write(const std::string& name, std::span<const std::uint8_t> bytes);
    void write(const std::string& name, std::string_view text);

    // Deletes every written file in the deletion order; later calls do nothing.
    void deleteAll() noexcept;

    // Where the file of a name stands: its path in the folder, or the bare name.
    std::string pathOf(const std::string& name) const;

private:
    std::string folderText() const;

    std::filesystem::path folder_;
    std::vector<std::string> deletionOrder_;
    std::vector<std::string> written_;
};

}  // namespace bv3::qdfbuild
