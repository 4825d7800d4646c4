#pragma once
// What crossed the line in one exchange, kept as seeds for the line fuzzers (fuzz/): the
// receiver's side as a script of line events in the fuzzers' own form (one delivery for each
// write, the garbage as noise, a timer event for each silence), and the PC's bytes as they
// arrived, for the receiver's own fuzzer. Replayed against the same simulated receiver, the
// script delivers the same bytes in the same pieces.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bv3::stbsim {

class LineRecording {
public:
    void receiverWrote(std::span<const std::uint8_t> bytes);
    void receiverSentNoise(std::span<const std::uint8_t> bytes);
    void receiverFellSilent();
    void pcSent(std::span<const std::uint8_t> bytes);

    // The script: a byte per event, the top two bits its kind (0 deliver up to 64 x (n+1)
    // bytes, 1 insert n+1 noise bytes that follow, 2 lose n+1 bytes, 3 fire the timer).
    const std::vector<std::uint8_t>& lineScript() const { return script_; }
    const std::vector<std::uint8_t>& pcBytes() const { return pc_; }

private:
    std::vector<std::uint8_t> script_;
    std::vector<std::uint8_t> pc_;
};

}  // namespace bv3::stbsim
