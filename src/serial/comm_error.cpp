#include "serial/comm_error.h"

namespace bv3::serial {

ECommError::ECommError(const std::string& text, std::int32_t errorCode)
    : std::runtime_error(text + " (Error: " + std::to_string(errorCode) + ") "), errorCode_(errorCode) {}

}  // namespace bv3::serial
