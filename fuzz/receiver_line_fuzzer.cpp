// The simulated receiver as a PC drives it: the fuzzer's bytes are what the PC sends, for
// either mode. Checked: no access outside a buffer (the sanitizers), and the receiver's
// output stays bounded by what it was asked (no endless answer to a finite input).
#include "line_fuzz_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace bv3;
    if (size < 1) {
        return 0;
    }
    stbsim::SimulatorOptions options;
    options.downloadSize = 1 + data[0] * 61u;
    options.requestSize = 1 + (data[0] & 0x0Fu) * 100u;
    options.sizeFromImageHeader = (data[0] & 0x80u) != 0;
    stbsim::ReceiverMemory memory = stbsim::ReceiverMemory::samplePattern();
    fuzzline::QueuedLink link;
    stbsim::ReceiverSimulator receiver(memory, options, link);
    receiver.start();
    for (std::size_t i = 1; i < size; ++i) {
        receiver.handleByte(data[i]);
        // A read request is answered with at most 65535 bytes and its frame.
        if (link.queue.size() > 0x10100) {
            fuzzline::finding("the receiver answered one byte with more than a block");
        }
        link.queue.clear();
    }
    if (receiver.downloaded().size() > 0x7FFFFFFFu) {
        fuzzline::finding("the download grew without bound");
    }
    return 0;
}
