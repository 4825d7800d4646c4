#include "stb-sim/receiver_simulator.h"

#include "transfer/protocol_bytes.h"

#include <algorithm>

namespace {
// The download image's header and where in it the image's whole length is stored
// (big-endian, like every integer of the image).
constexpr std::uint32_t imageHeaderSize = 24;
constexpr std::uint32_t imageLengthOffset = 20;
// A request carries a 3-byte file offset, so nothing beyond 16 MB can be fetched.
constexpr std::uint32_t largestFetch = 0xFFFFFF;
}  // namespace

namespace bv3::stbsim {

using transfer::ACK;
using transfer::ETX;
using transfer::STX;

ReceiverSimulator::ReceiverSimulator(ReceiverMemory& memory, SimulatorOptions options, ReceiverLink& link)
    : memory_(memory), options_(options), link_(link), downloaded_(options.downloadSize, 0) {
    if (options_.requestSize == 0 || options_.requestSize > 0xFFFF) {
        options_.requestSize = 0x1000;
    }
    if (options_.sizeFromImageHeader) {
        options_.downloadSize = imageHeaderSize;
        downloaded_.assign(imageHeaderSize, 0);
        sizeKnown_ = false;
    }
    announcement_.push_back(STX);
    if (options_.stxTwice) {
        announcement_.push_back(STX);
    }
    for (const char c : {'Q', 'O', 'R', 'D', 'A'}) {
        announcement_.push_back(static_cast<std::uint8_t>(c));
    }
    announcement_.push_back(ETX);
}

void ReceiverSimulator::start() {
    // Noise on the line before the receiver speaks: anything but STX.
    for (std::size_t i = 0; i < options_.bytesBeforeStx && !done(); ++i) {
        emit(static_cast<std::uint8_t>(i % 2 == 0 ? 0x55 : 0xAA));
    }
    if (!done()) {
        emit(announcement_[announced_++]);
    }
}

void ReceiverSimulator::repeatAnnouncementStart() {
    if (state_ == State::Announcing && announced_ == 1) {
        emit(STX);
    }
}

void ReceiverSimulator::emit(std::uint8_t b) {
    if (done()) {
        return;
    }
    link_.send(std::span<const std::uint8_t>(&b, 1));
    ++bytesSent_;
    if (bytesSent_ == options_.hangUpAfterByte) {
        hungUp_ = true;
        state_ = State::Done;
        link_.hangUp();
        return;
    }
    if (bytesSent_ == options_.garbageAfterByte) {
        std::vector<std::uint8_t> garbage(options_.garbageCount);
        for (auto& g : garbage) {
            noiseSeed_ ^= noiseSeed_ << 13;
            noiseSeed_ ^= noiseSeed_ >> 17;
            noiseSeed_ ^= noiseSeed_ << 5;
            g = static_cast<std::uint8_t>(noiseSeed_);
        }
        link_.sendNoise(garbage);
    }
    if (bytesSent_ == options_.silenceAfterByte) {
        link_.pause(options_.silence);
        // A receiver that went quiet in the middle of a block gives that block up; the PC's
        // watchdog requests it again from its first byte.
        if (state_ == State::SendingBlock) {
            state_ = State::WaitFrame;
        }
    }
}

void ReceiverSimulator::handleByte(std::uint8_t b) {
    switch (state_) {
        case State::Announcing:
            if (announced_ < announcement_.size()) {
                emit(announcement_[announced_++]);
                if (announced_ == announcement_.size() && state_ == State::Announcing) {
                    state_ = State::WaitFrame;
                }
            }
            break;
        case State::WaitFrame:
            if (b == STX) {
                frame_.assign(1, b);
                frameLength_ = 0;
                state_ = State::InFrame;
                emit(ACK);
            }
            break;
        case State::InFrame:
            onFrameByte(b);
            break;
        case State::SendingBlock:
            if (blockIndex_ < blockSize_) {
                const std::uint32_t address = blockAddress_ + blockIndex_++;
                emit(memory_.read(address));
            } else {
                state_ = State::WaitFrame;
                emit(ETX);
            }
            break;
        case State::SendingRequest:
            if (requestIndex_ < request_.size()) {
                const std::uint8_t next = request_[requestIndex_++];
                if (requestIndex_ == request_.size()) {
                    state_ = request_[1] == transfer::endCommand ? State::AwaitEndAck : State::AwaitDataStx;
                }
                emit(next);
            }
            break;
        case State::AwaitDataStx:
            if (b == STX) {
                startChunk();
                emit(ACK);
                if (state_ == State::AwaitEtx) {
                    // An empty range: the PC "sends" an empty chunk, which we answer at once.
                    emit(ACK);
                }
            }
            break;
        case State::ReceivingChunk:
            if (rangeOffset_ < downloaded_.size()) {
                downloaded_[rangeOffset_] = b;
            }
            ++rangeOffset_;
            --rangeLeft_;
            if (--chunkLeft_ == 0) {
                startChunk();
                emit(ACK);
            }
            break;
        case State::AwaitEtx:
            emit(ACK);
            beginNextRequest();
            break;
        case State::AwaitEndAck:
            state_ = State::Done;
            break;
        case State::Done:
            break;
    }
}

void ReceiverSimulator::onFrameByte(std::uint8_t b) {
    if (frame_.size() == 1 && b == STX) {
        // The PC started its frame again (its watchdog fired while our answer was under
        // way): take the two STX as one.
        emit(ACK);
        return;
    }
    frame_.push_back(b);
    if (frame_.size() == 2) {
        switch (b) {
            case transfer::modeUpload:
                frameLength_ = 7;
                break;
            case transfer::readRequest:
                frameLength_ = 9;
                break;
            default:
                frameLength_ = 3;
                break;
        }
    }
    if (frame_.size() < frameLength_ || frame_.size() < 2) {
        emit(ACK);
        return;
    }
    frameComplete();
}

void ReceiverSimulator::frameComplete() {
    switch (frame_[1]) {
        case transfer::modeUpload:
            mode_ = SessionMode::Upload;
            state_ = State::WaitFrame;
            emit(ACK);
            break;
        case transfer::readRequest:
            blockSize_ = static_cast<std::uint32_t>(frame_[3] << 8 | frame_[4]);
            blockAddress_ = static_cast<std::uint32_t>(frame_[5] << 16 | frame_[6] << 8 | frame_[7]);
            blockIndex_ = 0;
            ++requestsServed_;
            state_ = State::SendingBlock;
            emit(STX);
            break;
        case transfer::endCommand:
            emit(ACK);
            state_ = State::Done;
            break;
        case transfer::modeDownload:
            mode_ = SessionMode::Download;
            beginNextRequest();
            break;
        default:
            state_ = State::WaitFrame;
            emit(ACK);
            break;
    }
}

void ReceiverSimulator::takeSizeFromImageHeader() {
    sizeKnown_ = true;
    const std::uint32_t length = static_cast<std::uint32_t>(downloaded_[imageLengthOffset]) << 24 |
                                 static_cast<std::uint32_t>(downloaded_[imageLengthOffset + 1]) << 16 |
                                 static_cast<std::uint32_t>(downloaded_[imageLengthOffset + 2]) << 8 |
                                 downloaded_[imageLengthOffset + 3];
    // A length the header cannot have (shorter than the header, or beyond what a request can
    // reach) ends the download with the header alone: the image is then refused as damaged.
    if (length > imageHeaderSize && length <= largestFetch) {
        options_.downloadSize = length;
        downloaded_.resize(length, 0);
    }
}

void ReceiverSimulator::beginNextRequest() {
    if (!sizeKnown_ && fetched_ >= imageHeaderSize) {
        takeSizeFromImageHeader();
    }
    const bool end = fetched_ >= options_.downloadSize;
    std::uint32_t length = 0;
    if (end) {
        request_ = {STX, transfer::endCommand, 0x00};
    } else {
        length = std::min(options_.requestSize, options_.downloadSize - fetched_);
        const std::uint32_t offset = fetched_;
        request_ = {STX,
                    transfer::readRequest,
                    static_cast<std::uint8_t>(length >> 8),
                    static_cast<std::uint8_t>(length),
                    static_cast<std::uint8_t>(offset >> 16),
                    static_cast<std::uint8_t>(offset >> 8),
                    static_cast<std::uint8_t>(offset),
                    ETX};
        rangeOffset_ = offset;
        rangeLeft_ = length;
        fetched_ += length;
    }
    requestIndex_ = 1;
    state_ = State::SendingRequest;
    emit(request_[0]);
}

void ReceiverSimulator::startChunk() {
    if (rangeLeft_ == 0) {
        state_ = State::AwaitEtx;
        return;
    }
    chunkLeft_ = std::min<std::uint32_t>(rangeLeft_, transfer::pieceSize);
    state_ = State::ReceivingChunk;
}

}  // namespace bv3::stbsim
