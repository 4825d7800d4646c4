#include "serial/comm.h"

namespace bv3::serial {

TCommEventChars::TCommEventChars(TCustomComm* owner) : owner_(owner) {}

void TCommEventChars::SetEventChar(int index, std::uint8_t c) {
    chars_[index - 1] = c;
    if (owner_ != nullptr) {
        owner_->ApplyLineSettings();
    }
}

void TCommEventChars::Assign(const TCommEventChars& source) {
    for (int i = 0; i < 5; ++i) {
        chars_[i] = source.chars_[i];
    }
}

}  // namespace bv3::serial
