#include "platform/com_port_name.h"

#include <cctype>

namespace bv3::platform {

std::optional<int> comPortNumber(const std::string& name) {
    // "Com" and one to three digits.
    if (name.size() < 4 || name.size() > 6) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != "com"[i]) {
            return std::nullopt;
        }
    }
    if (name[3] == '0') {
        return std::nullopt;  // "Com0" names no port, and "Com01" is not how ports are named
    }
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
            return std::nullopt;
        }
        n = n * 10 + (name[i] - '0');
    }
    if (n > highestComPort) {
        return std::nullopt;
    }
    return n;
}

}  // namespace bv3::platform
