#pragma once
// The loader configuration ("qorda.cfg") that tells the encoder which images go where: a
// header with the block of 4096 receiver identifiers holding headerId, the configuration
// image twice (at flash 0 and directly behind it at $2000), and the service image at the
// model's service address. The maker's loader reads it byte for byte, so every TAB and space
// below is deliberate, including the uneven spacing of the ADDRESS lines.

#include <cstdint>
#include <string>

namespace bv3::qdfbuild {

// The whole file text: 23 lines, each ended by CR LF. Follows its table for every modelCode
// byte value (the build itself refuses unknown models before it gets here).
std::string formatLoaderConfig(std::uint32_t headerId, std::uint8_t modelCode, const std::string& configImage,
                               const std::string& serviceImage);

}  // namespace bv3::qdfbuild
