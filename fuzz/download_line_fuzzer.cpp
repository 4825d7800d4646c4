// The download protocol driven as a receiver and a noisy line drive it: the simulated receiver
// fetches a small file in ranges the input chooses, and the fuzzer decides how its requests
// arrive (chunk sizes, losses, noise). Checked: no access outside a buffer (the sanitizers),
// at most one refusal and one finish, nothing sent after the finish, and a download the
// receiver ended over a line that only split bytes gave it exactly the file.
#include "line_fuzz_helpers.h"
#include "transfer/download_protocol.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

using namespace bv3;
using fuzzline::finding;

class Host final : public transfer::DownloadHost, public transfer::TransferProgress {
public:
    Host(stbsim::ReceiverSimulator& receiver, const std::vector<std::uint8_t>& file)
        : receiver_(receiver), file_(file) {}
    void sendBytes(std::span<const std::uint8_t> bytes) override {
        if (finished > 0) {
            finding("bytes sent after the finish");
        }
        for (const std::uint8_t b : bytes) {
            receiver_.handleByte(b);
        }
    }
    transfer::TransferProgress& progress() override { return *this; }
    void showPhase(transfer::TransferPhase) override {}
    void showCounter(transfer::BlockCounter) override {}
    void showProgress(int) override {}
    void readSource(std::uint32_t offset, std::span<std::uint8_t> into) override {
        if (offset > file_.size() || into.size() > file_.size() - offset) {
            throw std::runtime_error("read beyond the end of the file");
        }
        std::memcpy(into.data(), file_.data() + offset, into.size());
    }
    void refuseRequest(const transfer::TransferFailure&) override {
        if (++refusals > 1 || finished > 0) {
            finding("a second refusal, or one after the finish");
        }
    }
    void finish() override {
        if (++finished > 1) {
            finding("finished twice");
        }
    }

    int refusals = 0;
    int finished = 0;

private:
    stbsim::ReceiverSimulator& receiver_;
    const std::vector<std::uint8_t>& file_;
};

void arrive(transfer::DownloadProtocol& protocol, std::span<const std::uint8_t> bytes) {
    if (!bytes.empty() && !protocol.finished()) {
        protocol.receive(bytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes choose the file's size and the receiver's range size.
    const std::uint32_t fileSize = 1 + data[0] * 37u;
    stbsim::SimulatorOptions options;
    options.downloadSize = fileSize;
    options.requestSize = 1 + data[1] * 16u;
    std::vector<std::uint8_t> file(fileSize);
    for (std::size_t i = 0; i < file.size(); ++i) {
        file[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    }
    stbsim::ReceiverMemory memory;
    fuzzline::QueuedLink link;
    stbsim::ReceiverSimulator receiver(memory, options, link);
    Host host(receiver, file);
    transfer::DownloadProtocol protocol(host);
    protocol.reset(static_cast<std::int64_t>(file.size()));
    receiver.start();

    fuzzline::Script script(std::span(data + 2, size - 2));
    // The download has no timer of its own: the receiver drives it.
    const fuzzline::LineDamage damage = fuzzline::playScript(
        script, link, [&](std::span<const std::uint8_t> bytes) { arrive(protocol, bytes); }, [] {},
        [&] { return protocol.finished(); });
    const bool damaged = damage.noise || damage.loss;
    // A clean line from here on, until the receiver has nothing more to say.
    while (!protocol.finished() && !link.queue.empty()) {
        arrive(protocol, fuzzline::takeArrived(link, 4096));
    }
    if (protocol.finished() && host.finished != 1) {
        finding("finished without telling the host, or twice");
    }
    if (!damaged && protocol.endRequested() && host.refusals == 0 &&
        !std::equal(file.begin(), file.end(), receiver.downloaded().begin(), receiver.downloaded().end())) {
        finding("the receiver ended a clean download with another file than the one served");
    }
    return 0;
}
