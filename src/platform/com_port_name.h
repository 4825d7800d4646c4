#pragma once
// The host names its ports "Com1", "Com2", ...; each OS backend turns such a name into its own
// device name. Which names count as port names is one rule for every backend, kept here:
// "Com" in any letter case followed by the port number, 1 to 255, in decimal without a
// leading zero. Any other name is taken as a device path as it stands.

#include <optional>
#include <string>

namespace bv3::platform {

inline constexpr int highestComPort = 255;

// The port number of a "ComN" name; empty for any other name.
std::optional<int> comPortNumber(const std::string& name);

}  // namespace bv3::platform
