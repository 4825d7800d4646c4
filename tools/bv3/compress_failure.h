#pragma once
// The compressor's failure as the terminal shows it: the component's own text, followed by
// the system's reason when a file could not be opened (the dialog's text stays the
// component's alone).

#include "compress/compress_error.h"

#include <string>

namespace bv3::cli {

inline std::string withSystemReason(const compress::ELzrw1Exception& failure) {
    const std::string& reason = failure.systemReason();
    return reason.empty() ? std::string(failure.what()) : std::string(failure.what()) + " (" + reason + ")";
}

}  // namespace bv3::cli
