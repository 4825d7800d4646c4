#include "stb-sim/line_recording.h"

#include <algorithm>

namespace bv3::stbsim {

namespace {
constexpr std::uint8_t deliver = 0x00;
constexpr std::uint8_t noise = 0x40;
constexpr std::uint8_t timer = 0xC0;
constexpr std::size_t mostPerEvent = 64;
}  // namespace

void LineRecording::receiverWrote(std::span<const std::uint8_t> bytes) {
    // One delivery takes up to 64 x (n+1) of the queued bytes: a write of 4096 bytes is one event.
    for (std::size_t left = bytes.size(); left > 0;) {
        const std::size_t blocks = std::min((left + mostPerEvent - 1) / mostPerEvent, mostPerEvent);
        script_.push_back(static_cast<std::uint8_t>(deliver | (blocks - 1)));
        left -= std::min(left, blocks * mostPerEvent);
    }
}

void LineRecording::receiverSentNoise(std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += mostPerEvent) {
        const std::size_t count = std::min(mostPerEvent, bytes.size() - at);
        script_.push_back(static_cast<std::uint8_t>(noise | (count - 1)));
        script_.insert(script_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
    }
}

void LineRecording::receiverFellSilent() {
    script_.push_back(timer);
}

void LineRecording::pcSent(std::span<const std::uint8_t> bytes) {
    pc_.insert(pc_.end(), bytes.begin(), bytes.end());
}

}  // namespace bv3::stbsim
