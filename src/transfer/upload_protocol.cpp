#include "transfer/upload_protocol.h"

#include <algorithm>

namespace bv3::transfer {

namespace {
// The counter runs over the image in 4 KB units: 2 of EEPROM and 96 of flash.
constexpr std::int32_t counterUnit = 4096;
constexpr std::int32_t counterUnits = uploadImageSize / counterUnit;

BlockCounter blockCounter(std::int32_t unit) {
    return {unit, counterUnits};
}
}  // namespace

UploadProtocol::UploadProtocol(UploadHost& host) : host_(host) {}

void UploadProtocol::reset() {
    state_ = UploadState::Connect;
    step_ = 0;
    connected_ = false;
    writePos_ = 0;
    std::fill(image_.begin(), image_.end(), std::uint8_t{0});
    retryCount_ = 0;
    blockWrong_ = false;
    rereads_ = 0;
    phase_ = UploadPhase::Idle;
    finished_ = false;
}

void UploadProtocol::receive(std::span<const std::uint8_t> bytes) {
    if (finished_) {
        return;
    }
    host_.setWatchdog(false);
    for (const std::uint8_t b : bytes) {
        handleByte(b);
        if (finished_) {
            // The dialog is closing: the rest of the batch and the watchdog are no longer
            // anyone's business.
            return;
        }
    }
    host_.setWatchdog(true);
}

void UploadProtocol::send(std::uint8_t b) {
    outbyte_ = b;
    host_.sendBytes(std::span<const std::uint8_t>(&outbyte_, 1));
}

void UploadProtocol::handleByte(std::uint8_t b) {
    if (finished_) {
        return;
    }
    switch (state_) {
        case UploadState::Connect:
            onConnect(b);
            break;
        case UploadState::SendMode:
            onSendMode();
            break;
        case UploadState::RequestEeprom:
            onRequestEeprom();
            break;
        case UploadState::ReceiveEeprom:
            onReceive(b, true);
            break;
        case UploadState::RequestFlash:
            onRequestFlash();
            break;
        case UploadState::ReceiveFlash:
            onReceive(b, false);
            break;
        case UploadState::SendEnd:
            onSendEnd();
            break;
    }
}

void UploadProtocol::onConnect(std::uint8_t b) {
    remaining_ = uploadImageSize;
    outbyte_ = ACK;
    if (b == STX) {
        host_.setWatchdog(true);
        connected_ = true;
        host_.progress().showPhase(TransferPhase::Connected);
    }
    if (!connected_) {
        return;
    }
    send(ACK);
    if (b == ETX) {
        state_ = UploadState::SendMode;
        step_ = 0;
        send(STX);
    }
}

void UploadProtocol::onSendMode() {
    ++step_;
    const auto size = static_cast<std::uint32_t>(remaining_);
    switch (step_) {
        case 1:
            send(modeUpload);
            host_.progress().showPhase(TransferPhase::SendingUploadMode);
            break;
        case 2:
        case 3:
        case 4:
        case 5:
            send(static_cast<std::uint8_t>(size >> (8 * (5 - step_))));
            break;
        case 6:
            send(ETX);
            state_ = UploadState::RequestEeprom;
            step_ = 0;
            host_.progress().showPhase(TransferPhase::ReceivingEeprom);
            host_.progress().showCounter(blockCounter(0));
            break;
        default:
            break;
    }
}

void UploadProtocol::sendRequestStep(std::int32_t address, UploadState receiveState) {
    ++step_;
    const auto size = static_cast<std::uint32_t>(blockSize_);
    const auto where = static_cast<std::uint32_t>(address);
    switch (step_) {
        case 1:
            send(STX);
            break;
        case 2:
            send(readRequest);
            break;
        case 3:
            send(ETX);
            break;
        case 4:
            send(static_cast<std::uint8_t>(size >> 8));
            break;
        case 5:
            send(static_cast<std::uint8_t>(size));
            break;
        case 6:
            send(static_cast<std::uint8_t>(where >> 16));
            break;
        case 7:
            send(static_cast<std::uint8_t>(where >> 8));
            break;
        case 8:
            send(static_cast<std::uint8_t>(where));
            break;
        case 9: {
            send(ETX);
            state_ = receiveState;
            step_ = 0;
            const std::int32_t unit =
                receiveState == UploadState::ReceiveEeprom ? blockOffset() / counterUnit : (address - flashBaseAddress) / counterUnit;
            host_.progress().showCounter(blockCounter(unit));
            break;
        }
        default:
            break;
    }
}

void UploadProtocol::onRequestEeprom() {
    phase_ = UploadPhase::Eeprom;
    if (remaining_ == 0) {
        state_ = UploadState::SendEnd;
        onSendEnd();
        return;
    }
    blockSize_ = eepromBlockSize;
    writePos_ = blockOffset();
    // The EEPROM block's receiver address is its image offset.
    sendRequestStep(blockOffset(), UploadState::ReceiveEeprom);
}

void UploadProtocol::onRequestFlash() {
    phase_ = UploadPhase::Flash;
    if (remaining_ == 0) {
        state_ = UploadState::SendEnd;
        onSendEnd();
        return;
    }
    blockSize_ = std::min(remaining_, flashBlockSize);
    writePos_ = blockOffset();
    sendRequestStep(blockOffset() + flashBaseAddress - eepromBlockSize, UploadState::ReceiveFlash);
}

void UploadProtocol::onReceive(std::uint8_t b, bool eeprom) {
    switch (step_) {
        case 0:
            if (b == STX) {
                step_ = 1;
                blockCount_ = 0;
                blockWrong_ = false;
                send(ACK);
            }
            break;
        case 1: {
            image_[static_cast<std::size_t>(writePos_)] = static_cast<std::uint8_t>(~b);
            ++writePos_;
            ++blockCount_;
            if (blockCount_ >= blockSize_) {
                step_ = 2;
            }
            send(ACK);
            const std::int64_t received = uploadImageSize - (remaining_ - blockCount_);
            host_.progress().showProgress(static_cast<int>(received * 100 / uploadImageSize));
            host_.progress().showTransferred(received, uploadImageSize);
            break;
        }
        default:
            if (b == ETX && blockWrong_) {
                rereadBlock(eeprom);
            } else if (b == ETX) {
                rereads_ = 0;
                remaining_ -= blockSize_;
                state_ = UploadState::RequestFlash;
                step_ = 0;
                send(ACK);
                if (eeprom) {
                    host_.progress().showPhase(TransferPhase::ReceivingFlash);
                }
                onRequestFlash();
            } else {
                blockWrong_ = true;
                send(ACK);
                if (eeprom) {
                    host_.progress().showPhase(TransferPhase::ReceivingFlash);
                }
            }
            break;
    }
}

void UploadProtocol::rereadBlock(bool eeprom) {
    step_ = 0;
    send(ACK);
    if (rereads_ >= maxBlockRereads) {
        throw UploadFailure("the block at " + std::to_string(blockOffset()) + " arrived with bytes in excess " +
                            std::to_string(rereads_ + 1) + " times in a row (noise on the line)");
    }
    ++rereads_;
    blockWrong_ = false;
    reportRetry();
    writePos_ = blockOffset();
    if (eeprom) {
        state_ = UploadState::RequestEeprom;
        onRequestEeprom();
    } else {
        state_ = UploadState::RequestFlash;
        onRequestFlash();
    }
}

void UploadProtocol::reportRetry() {
    ++retryCount_;
    host_.progress().showRetry({retryCount_, blockOffset()});
}

void UploadProtocol::onSendEnd() {
    ++step_;
    switch (step_) {
        case 1:
            send(STX);
            break;
        case 2:
            send(endCommand);
            break;
        case 3:
            send(ETX);
            break;
        case 4:
            host_.progress().showProgress(100);
            finished_ = true;
            host_.setWatchdog(false);
            host_.completeUpload(image());
            break;
        default:
            break;
    }
}

void UploadProtocol::stop() {
    finished_ = true;
    host_.setWatchdog(false);
}

void UploadProtocol::watchdogFired() {
    if (finished_) {
        return;
    }
    reportRetry();
    step_ = 0;
    blockWrong_ = false;
    writePos_ = blockOffset();
    host_.setWatchdog(false);
    if (phase_ == UploadPhase::Eeprom) {
        state_ = UploadState::RequestEeprom;
        onRequestEeprom();
    } else if (phase_ == UploadPhase::Flash) {
        state_ = UploadState::RequestFlash;
        onRequestFlash();
    }
}

}  // namespace bv3::transfer
