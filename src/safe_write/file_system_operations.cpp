#include "safe_write/file_system_operations.h"

#include <atomic>

namespace bv3::safewrite {

namespace {

std::atomic<FileSystemOperations*>& current() noexcept {
    static std::atomic<FileSystemOperations*> operations{nullptr};
    return operations;
}

}  // namespace

FileSystemOperations& fileOperations() noexcept {
    FileSystemOperations* substitute = current().load();
    return substitute != nullptr ? *substitute : systemFileOperations();
}

ScopedFileOperations::ScopedFileOperations(FileSystemOperations& substitute) noexcept
    : previous_(current().exchange(&substitute)) {}

ScopedFileOperations::~ScopedFileOperations() {
    current().store(previous_);
}

}  // namespace bv3::safewrite
