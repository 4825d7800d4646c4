#pragma once
// The compressor's failure as the terminal shows it: the component's own text, followed by
// the system's reason when a file could not be opened (the dialog's text stays the
// component's alone).

#include "bv3/command_registry.h"
#include "compress/compress_error.h"

#include <exception>
#include <string>

namespace bv3::cli {

inline std::string withSystemReason(const compress::ELzrw1Exception& failure) {
    const std::string& reason = failure.systemReason();
    return reason.empty() ? std::string(failure.what()) : std::string(failure.what()) + " (" + reason + ")";
}

// Runs one compressor operation (compress or decompress): any failure becomes the command's
// failure with the text above.
template <typename Operation>
void runCompressorOperation(Operation&& operation) {
    try {
        operation();
    } catch (const compress::ELzrw1Exception& failure) {
        throw CommandFailure(withSystemReason(failure));
    } catch (const std::exception& failure) {
        throw CommandFailure(failure.what());
    }
}

}  // namespace bv3::cli
