#pragma once
// The download build writes its temporary files "Config.raw", "Service.raw" and "qorda.cfg"
// into the current folder and deletes them afterwards (the encoder reads them by name); the
// commands that build run it in a private temporary folder of their own, so that no file of the
// user's with one of those names is ever touched, and two builds started in one folder never
// meet.

#include <filesystem>

namespace bv3::cli {

// A folder only this build uses, made the current one for the object's life; the previous
// current folder is restored and the folder removed with whatever is left in it.
class PrivateBuildFolder {
public:
    PrivateBuildFolder();
    ~PrivateBuildFolder();
    PrivateBuildFolder(const PrivateBuildFolder&) = delete;
    PrivateBuildFolder& operator=(const PrivateBuildFolder&) = delete;

    const std::filesystem::path& path() const { return folder_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path folder_;
};

// A private temporary folder that stays where the current folder is: for files a command keeps
// only while it runs. Removed with what is left in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path operator/(const char* name) const { return folder_ / name; }

private:
    std::filesystem::path folder_;
};

}  // namespace bv3::cli
