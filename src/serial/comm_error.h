#pragma once
// The serial component's one exception. Its message is the component's text followed by
// " (Error: %d) " with ErrorCode(): the platform's error number where a platform call failed,
// -1 for conditions the component detects itself.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace bv3::serial {

class ECommError : public std::runtime_error {
public:
    ECommError(const std::string& text, std::int32_t errorCode);
    std::int32_t ErrorCode() const { return errorCode_; }

private:
    std::int32_t errorCode_;
};

// The component's texts, exactly as the user sees them before the error code.
namespace commtext {
inline constexpr const char* portAlreadyAssigned = "Port already assigned (open)";
inline constexpr const char* errorAccessingPort = "Error accessing Communication port..\rPlease check your Comm. port.";
inline constexpr const char* invalidDeviceHandle = "Invalid device handle, access denied";
inline constexpr const char* errorUpdatingTimeouts = "Error updating CommTimeouts";
inline constexpr const char* errorUpdatingDcb = "Error updating DataControlBlock";
inline constexpr const char* errorInitializingBuffers = "Error initializing Read/Write Buffers";
inline constexpr const char* writeError = "Write error";
inline constexpr const char* readError = "Read error";
}  // namespace commtext

}  // namespace bv3::serial
