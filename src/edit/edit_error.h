#pragma once
// The refusal of an editing operation. An operation is all or nothing: when it throws, the
// list is exactly as it was before the call. The message names what was out of range.

#include <stdexcept>
#include <string>

namespace bv3::edit {

class EditError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace bv3::edit
