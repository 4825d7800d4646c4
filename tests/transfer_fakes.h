#pragma once
// Fakes for driving the transfer protocols without a port or a timer: a host that records
// what the protocol sends and shows, and an in-memory line between a protocol and the
// receiver simulator.

#include "stb-sim/receiver_simulator.h"
#include "transfer/download_protocol.h"
#include "transfer/upload_protocol.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace bv3::transfer::testing {

using Bytes = std::vector<std::uint8_t>;

// Records everything; takeSent() returns and forgets the bytes sent since the last call. What
// the protocol shows is kept as the values it reported last (the words are the views' and are
// tested with the texts).
class RecordingHost : public TransferProgress {
public:
    Bytes takeSent() { return std::exchange(sent_, {}); }
    std::vector<std::size_t> takeWrites() { return std::exchange(writes_, {}); }

    void showPhase(TransferPhase shown) override { phase = shown; }
    void showCounter(BlockCounter shown) override { counter = shown; }
    void showRetry(RetryNotice shown) override { retry = shown; }
    void showProgress(int shown) override {
        percent = shown;
        progressHistory.push_back(shown);
    }

    std::optional<TransferPhase> phase;
    std::optional<BlockCounter> counter;
    std::optional<RetryNotice> retry;
    int percent = -1;
    std::vector<int> progressHistory;

protected:
    void record(std::span<const std::uint8_t> bytes) {
        sent_.insert(sent_.end(), bytes.begin(), bytes.end());
        writes_.push_back(bytes.size());
    }

private:
    Bytes sent_;
    std::vector<std::size_t> writes_;
};

class FakeUploadHost final : public UploadHost, public RecordingHost {
public:
    void sendBytes(std::span<const std::uint8_t> bytes) override { record(bytes); }
    TransferProgress& progress() override { return *this; }
    void setWatchdog(bool enabled) override {
        watchdogEnabled = enabled;
        if (enabled) {
            ++watchdogStarts;
        }
    }
    void completeUpload(std::span<const std::uint8_t> image) override {
        ++completions;
        stored.assign(image.begin(), image.end());
    }
    bool watchdogEnabled = false;
    int watchdogStarts = 0;
    int completions = 0;
    Bytes stored;
};

class FakeDownloadHost final : public DownloadHost, public RecordingHost {
public:
    explicit FakeDownloadHost(Bytes file) : file(std::move(file)) {}
    void sendBytes(std::span<const std::uint8_t> bytes) override { record(bytes); }
    TransferProgress& progress() override { return *this; }
    void refuseRequest(const TransferFailure& refusal) override {
        refusals.push_back(refusal.kind);
        lastRefusal = refusal;
    }
    void readSource(std::uint32_t offset, std::span<std::uint8_t> into) override {
        if (failReads || offset + into.size() > file.size()) {
            throw std::runtime_error("short read");
        }
        std::copy_n(file.begin() + offset, into.size(), into.begin());
    }
    void finish() override { ++finishes; }
    Bytes file;
    bool failReads = false;
    int finishes = 0;
    std::vector<TransferFailure::Kind> refusals;
    std::optional<TransferFailure> lastRefusal;
};

// The line between a PC protocol and the simulated receiver. A silence of the receiver lets
// the PC's watchdog fire once, as 3000 ms without bytes would.
template <class Protocol>
class Wire final : public stbsim::ReceiverLink {
public:
    Wire(Protocol& pc, stbsim::ReceiverMemory& memory, stbsim::SimulatorOptions options)
        : pc_(pc), receiver_(memory, options, *this) {}

    void send(std::span<const std::uint8_t> bytes) override { toPc_.insert(toPc_.end(), bytes.begin(), bytes.end()); }
    void pause(std::chrono::milliseconds) override { silent_ = true; }
    void hangUp() override { hungUp_ = true; }

    // Carries bytes from the PC's host to the receiver; call after every PC action.
    void fromPc(Bytes bytes) { toReceiver_.insert(toReceiver_.end(), bytes.begin(), bytes.end()); }

    // Runs the exchange until neither side has anything more to say.
    template <class Host>
    void run(Host& host) {
        receiver_.start();
        for (;;) {
            bool moved = false;
            if (!toPc_.empty() && !hungUp_) {
                const Bytes batch(toPc_.begin(), toPc_.end());
                toPc_.clear();
                pc_.receive(batch);
                fromPc(host.takeSent());
                moved = true;
            }
            if (silent_) {
                silent_ = false;
                if constexpr (requires { pc_.watchdogFired(); }) {
                    pc_.watchdogFired();
                    fromPc(host.takeSent());
                }
                moved = true;
            }
            if (!toReceiver_.empty() && !hungUp_) {
                const std::uint8_t b = toReceiver_.front();
                toReceiver_.pop_front();
                receiver_.handleByte(b);
                moved = true;
            }
            if (!moved) {
                return;
            }
        }
    }

    stbsim::ReceiverSimulator& receiver() { return receiver_; }

private:
    Protocol& pc_;
    stbsim::ReceiverSimulator receiver_;
    std::deque<std::uint8_t> toPc_;
    std::deque<std::uint8_t> toReceiver_;
    bool silent_ = false;
    bool hungUp_ = false;
};

}  // namespace bv3::transfer::testing
