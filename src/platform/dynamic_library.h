#pragma once
// The seam to the platform's dynamic-library loader. The rest of the library names a library
// the way the receiver maker's tools do ("tqrdll12.dll"); each backend maps that name to its
// own file name and opens it with the loader's standard search, so whatever search rules the
// platform has (LD_LIBRARY_PATH, RUNPATH, PATH) apply unchanged.

#include <stdexcept>
#include <string>

namespace bv3::platform {

// A library that cannot be opened, or a failed lookup that the caller chose to treat as an
// error. The message names the library (both as asked for and as searched for) and the reason.
class DynamicLibraryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class DynamicLibrary {
public:
    // Opens the library by name; a bare name is searched the platform's standard way, a name
    // with a directory part is opened from there. Throws DynamicLibraryError.
    explicit DynamicLibrary(const std::string& name);
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The address of the exported symbol, or nullptr when the library has none of that name.
    [[nodiscard]] void* symbol(const std::string& symbolName) const;

    // Unloads now instead of at destruction; later calls of symbol() return nullptr.
    void close() noexcept;
    [[nodiscard]] bool isOpen() const noexcept { return handle_ != nullptr; }

    // The name as asked for, and the file name the platform searched for.
    [[nodiscard]] const std::string& name() const noexcept { return name_; }
    [[nodiscard]] const std::string& fileName() const noexcept { return fileName_; }

    // How this platform spells a library name: "tqrdll12.dll" becomes "libtqrdll12.so" on
    // Linux. Names that already carry a directory or a native suffix are left alone.
    [[nodiscard]] static std::string platformFileName(const std::string& name);

private:
    std::string name_;
    std::string fileName_;
    void* handle_ = nullptr;
};

}  // namespace bv3::platform
