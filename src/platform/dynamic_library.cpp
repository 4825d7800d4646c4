// The parts of DynamicLibrary that do not depend on the platform's loader: ownership of the
// handle moves with the object, and the destructor unloads through the backend's close().
#include "platform/dynamic_library.h"

#include <utility>

namespace bv3::platform {

DynamicLibrary::~DynamicLibrary() {
    close();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : name_(std::move(other.name_)),
      fileName_(std::move(other.fileName_)),
      handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        close();
        name_ = std::move(other.name_);
        fileName_ = std::move(other.fileName_);
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

}  // namespace bv3::platform
