#pragma once
// The receiver's side of the serial protocol, fed one byte from the PC at a time. It
// announces itself, then follows the PC's mode frame: for an upload ('D') it answers read
// requests from its memory until the end frame; for a download ('A') it asks for the file in
// ranges until all of it is fetched and then sends the end request.

#include "stb-sim/receiver_memory.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

namespace bv3::stbsim {

struct SimulatorOptions {
    // The announcement: this many noise bytes before its STX, and optionally the STX twice.
    std::size_t bytesBeforeStx = 0;
    bool stxTwice = false;
    // Download: the size of the file to fetch and the size of each requested range.
    std::uint32_t downloadSize = 0;
    std::uint32_t requestSize = 0x1000;
    // Download: learn the size from the download image itself, as the receiver's loader does:
    // fetch the image header first and then as many bytes as its length field gives.
    bool sizeFromImageHeader = false;
    // Faults; a byte number counts the bytes this side has sent, from 1; 0 switches it off.
    std::uint64_t silenceAfterByte = 0;
    std::chrono::milliseconds silence{3500};
    std::uint64_t hangUpAfterByte = 0;
    std::uint64_t garbageAfterByte = 0;
    std::size_t garbageCount = 16;
};

// Where the simulator's output goes: the pseudo-terminal in the tool, a queue in tests.
class ReceiverLink {
public:
    virtual ~ReceiverLink() = default;
    virtual void send(std::span<const std::uint8_t> bytes) = 0;
    // Garbage the line adds (--garbage-after): sent like any bytes unless the link tells them apart.
    virtual void sendNoise(std::span<const std::uint8_t> bytes) { send(bytes); }
    // Stay silent (neither read nor write) for the given time.
    virtual void pause(std::chrono::milliseconds duration) = 0;
    virtual void hangUp() = 0;
};

enum class SessionMode { None, Upload, Download };

class ReceiverSimulator {
public:
    ReceiverSimulator(ReceiverMemory& memory, SimulatorOptions options, ReceiverLink& link);

    // Sends the noise and the announcement's first byte.
    void start();
    void handleByte(std::uint8_t b);
    // Says the announcement's STX again, for a PC that opened its port after we spoke and has
    // not answered yet.
    void repeatAnnouncementStart();

    // The exchange has ended: end frame answered, end request acknowledged, or hung up.
    bool done() const { return state_ == State::Done; }
    bool hungUp() const { return hungUp_; }
    SessionMode mode() const { return mode_; }
    // Download: the file as received so far (downloadSize bytes).
    const std::vector<std::uint8_t>& downloaded() const { return downloaded_; }
    std::uint64_t bytesSent() const { return bytesSent_; }
    // Number of read requests served (upload), counting restarted ones.
    std::size_t requestsServed() const { return requestsServed_; }

private:
    enum class State {
        Announcing,
        WaitFrame,
        InFrame,
        SendingBlock,
        SendingRequest,
        AwaitDataStx,
        ReceivingChunk,
        AwaitEtx,
        AwaitEndAck,
        Done
    };

    void emit(std::uint8_t b);
    void onFrameByte(std::uint8_t b);
    void frameComplete();
    void beginNextRequest();
    void startChunk();
    void takeSizeFromImageHeader();

    ReceiverMemory& memory_;
    SimulatorOptions options_;
    ReceiverLink& link_;
    State state_ = State::Announcing;
    SessionMode mode_ = SessionMode::None;
    bool hungUp_ = false;
    std::uint64_t bytesSent_ = 0;
    std::uint32_t noiseSeed_ = 0x2545F491u;

    std::vector<std::uint8_t> announcement_;
    std::size_t announced_ = 0;

    std::vector<std::uint8_t> frame_;
    std::size_t frameLength_ = 0;

    // Upload: the block being sent.
    std::uint32_t blockAddress_ = 0;
    std::uint32_t blockSize_ = 0;
    std::uint32_t blockIndex_ = 0;
    std::size_t requestsServed_ = 0;

    // Download: the request being sent and the data coming back.
    std::vector<std::uint8_t> request_;
    std::size_t requestIndex_ = 0;
    std::uint32_t fetched_ = 0;
    std::uint32_t rangeOffset_ = 0;
    std::uint32_t rangeLeft_ = 0;
    std::uint32_t chunkLeft_ = 0;
    std::vector<std::uint8_t> downloaded_;
    bool sizeKnown_ = true;
};

}  // namespace bv3::stbsim
