// The upload protocol driven as a receiver and a noisy line drive it: the simulated receiver
// serves its memory, and the fuzzer decides how its bytes arrive (chunk sizes, losses, noise)
// and when the watchdog fires. Checked: no access outside a buffer (the sanitizers), at most
// one outcome, nothing sent or reported after it, and an upload completed over a line that
// only split or lost bytes is exactly the receiver's memory in the uploaded form. (Noise that
// replaces a data byte cannot be told apart: the line protocol carries no checksum.)
#include "line_fuzz_helpers.h"
#include "transfer/upload_protocol.h"

#include <algorithm>
#include <cstdint>

namespace {

using namespace bv3;
using fuzzline::finding;

class Host final : public transfer::UploadHost, public transfer::TransferProgress {
public:
    explicit Host(stbsim::ReceiverSimulator& receiver) : receiver_(receiver) {}
    void sendBytes(std::span<const std::uint8_t> bytes) override {
        if (outcomes > 0) {
            finding("bytes sent after the outcome");
        }
        for (const std::uint8_t b : bytes) {
            receiver_.handleByte(b);
        }
    }
    transfer::TransferProgress& progress() override { return *this; }
    void showPhase(transfer::TransferPhase) override {}
    void showCounter(transfer::BlockCounter) override {}
    void showProgress(int) override {}
    void showRetry(transfer::RetryNotice) override {}
    void setWatchdog(bool enabled) override { watchdog = enabled; }
    void completeUpload(std::span<const std::uint8_t> received) override {
        ++outcomes;
        image.assign(received.begin(), received.end());
    }

    bool watchdog = false;
    int outcomes = 0;
    std::vector<std::uint8_t> image;

private:
    stbsim::ReceiverSimulator& receiver_;
};

// Feeds one read's bytes; an UploadFailure is the transfer's one failure event.
void arrive(transfer::UploadProtocol& protocol, Host& host, std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || protocol.finished() || host.outcomes > 0) {
        return;
    }
    try {
        protocol.receive(bytes);
    } catch (const transfer::UploadFailure&) {
        ++host.outcomes;
        protocol.stop();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    stbsim::ReceiverMemory memory = stbsim::ReceiverMemory::samplePattern();
    fuzzline::QueuedLink link;
    stbsim::ReceiverSimulator receiver(memory, stbsim::SimulatorOptions{}, link);
    Host host(receiver);
    transfer::UploadProtocol protocol(host);
    protocol.reset();
    receiver.start();

    fuzzline::Script script(std::span(data, size));
    const fuzzline::LineDamage damage = fuzzline::playScript(
        script, link, [&](std::span<const std::uint8_t> bytes) { arrive(protocol, host, bytes); },
        [&] {
            if (host.watchdog && !protocol.finished()) {
                protocol.watchdogFired();
            }
        },
        [&] { return host.outcomes != 0; });
    // Lost bytes only shorten what arrives; inserted ones may replace a data byte unseen.
    const bool noisy = damage.noise;
    // A clean line from here on, for a while: what the receiver says arrives, and the watchdog
    // fires whenever the line falls silent, a bounded number of times. Bounded so that an input
    // costs about what its script asks (a whole upload is 401,408 bytes through both sides);
    // an empty script runs the whole upload, as a clean line would.
    std::size_t cleanBytes = size == 0 ? SIZE_MAX : 3 * 4096;
    for (int silences = 0; host.outcomes == 0 && !protocol.finished() && silences < 12 && cleanBytes > 0;) {
        if (!link.queue.empty()) {
            const auto bytes = fuzzline::takeArrived(link, std::min<std::size_t>(4096, cleanBytes));
            cleanBytes -= bytes.size();
            arrive(protocol, host, bytes);
        } else if (host.watchdog) {
            ++silences;
            protocol.watchdogFired();
        } else {
            break;
        }
    }
    if (host.outcomes > 1) {
        finding("more than one outcome");
    }
    if (!host.image.empty() && !noisy) {
        const auto expected = memory.uploadedImage();
        if (host.image.size() != expected.size() || !std::equal(host.image.begin(), host.image.end(), expected.begin())) {
            finding("an upload completed with an image that is not the receiver's memory");
        }
    }
    return 0;
}
