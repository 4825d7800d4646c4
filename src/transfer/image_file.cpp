#include "transfer/image_file.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace bv3::transfer {

namespace {
// Removes the temporary file unless it has been renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!kept_) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
    }
    const std::filesystem::path& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    std::filesystem::path path_;
    bool kept_ = false;
};
}  // namespace

void writeFileCompletely(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target(path);
    std::filesystem::path temporaryPath = target;
    temporaryPath += ".partial";
    TemporaryFile temporary(temporaryPath);
    {
        std::ofstream out(temporary.path(), std::ios::binary | std::ios::trunc);
        if (!out) {
            throw std::runtime_error("Cannot write " + path + ": cannot create " + temporary.path().string());
        }
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            throw std::runtime_error("Cannot write " + path + ": the disk refused the data (full?)");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary.path(), target, error);
    if (error) {
        throw std::runtime_error("Cannot write " + path + ": " + error.message());
    }
    temporary.keep();
}

}  // namespace bv3::transfer
