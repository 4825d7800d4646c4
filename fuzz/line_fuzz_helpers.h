#pragma once
// What the line fuzzers share: the fuzzer's input read as a script of line events, and the
// simulated receiver as the PC protocols' peer. The script's bytes decide, event by event,
// how many of the receiver's bytes arrive at once, which bytes the line loses, what noise it
// inserts, and when the protocol's timer fires; after the script the line is clean, so every
// transfer either completes or fails, and a completed one can be compared with what the
// receiver holds or fetched. A finding is an abort (a crash for libFuzzer).

#include "stb-sim/receiver_simulator.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <span>
#include <vector>

namespace bv3::fuzzline {

[[noreturn]] inline void finding(const char* what) {
    std::fprintf(stderr, "line fuzzer finding: %s\n", what);
    std::abort();
}

// The receiver's output, queued until the script lets it arrive.
class QueuedLink final : public stbsim::ReceiverLink {
public:
    void send(std::span<const std::uint8_t> bytes) override { queue.insert(queue.end(), bytes.begin(), bytes.end()); }
    void pause(std::chrono::milliseconds) override {}
    void hangUp() override { hungUp = true; }

    std::deque<std::uint8_t> queue;
    bool hungUp = false;
};

enum class LineEvent { Deliver, Noise, Lose, Timer };

// One event of the script: its kind and a count (bytes to deliver, insert or lose).
struct ScriptStep {
    LineEvent event;
    std::size_t count;
};

class Script {
public:
    explicit Script(std::span<const std::uint8_t> input) : input_(input) {}

    bool next(ScriptStep& step) {
        if (position_ >= input_.size()) {
            return false;
        }
        const std::uint8_t op = input_[position_++];
        const std::size_t count = (op & 0x3Fu) + 1;
        switch (op >> 6) {
            case 0:
                step = {LineEvent::Deliver, count * 64};
                break;
            case 1:
                step = {LineEvent::Noise, count};
                break;
            case 2:
                step = {LineEvent::Lose, count};
                break;
            default:
                step = {LineEvent::Timer, 0};
                break;
        }
        return true;
    }

    // The next noise byte: the input's own bytes, so the fuzzer chooses them.
    std::uint8_t noiseByte() { return position_ < input_.size() ? input_[position_++] : 0; }

    // A Noise step's bytes: count noise bytes, zeros once the input runs out.
    std::vector<std::uint8_t> noise(std::size_t count) {
        std::vector<std::uint8_t> bytes(count);
        for (auto& b : bytes) {
            b = noiseByte();
        }
        return bytes;
    }

private:
    std::span<const std::uint8_t> input_;
    std::size_t position_ = 0;
};

// Takes up to count bytes of the receiver's output, as they would arrive in one read.
inline std::vector<std::uint8_t> takeArrived(QueuedLink& link, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    while (count-- > 0 && !link.queue.empty()) {
        bytes.push_back(link.queue.front());
        link.queue.pop_front();
    }
    return bytes;
}

// What the script did to the receiver's bytes on their way.
struct LineDamage {
    bool noise = false;  // bytes were inserted
    bool loss = false;   // bytes were lost
};

// Plays the script against the link until it ends or done() holds: delivered and noise bytes
// go to arrive(bytes), lost bytes are dropped, and a Timer step calls timer().
template <typename Arrive, typename Timer, typename Done>
LineDamage playScript(Script& script, QueuedLink& link, Arrive&& arrive, Timer&& timer, Done&& done) {
    LineDamage damage;
    ScriptStep step{};
    while (script.next(step) && !done()) {
        switch (step.event) {
            case LineEvent::Deliver:
                arrive(takeArrived(link, step.count));
                break;
            case LineEvent::Noise:
                damage.noise = true;
                arrive(script.noise(step.count));
                break;
            case LineEvent::Lose:
                damage.loss = true;
                takeArrived(link, step.count);
                break;
            case LineEvent::Timer:
                timer();
                break;
        }
    }
    return damage;
}

}  // namespace bv3::fuzzline
