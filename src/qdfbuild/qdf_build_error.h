#pragma once
// A download build that could not be completed: the encoder is missing, a temporary file
// cannot be written, or the encoder returned without writing the image. The message names the
// file or library and the reason.

#include <stdexcept>

namespace bv3::qdfbuild {

class QdfBuildError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace bv3::qdfbuild
