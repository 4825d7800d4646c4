// The container bodies: LZRW1/KH blocks of 32768-byte pieces, and the LZH code stream fed
// through the component's buffered byte reader and writer.
#include "compress/lzrw1.h"

#include "compress/lzrw1_session.h"

#include <algorithm>
#include <array>

namespace bv3::compress {

namespace {
constexpr auto fastEngine = TCompressProgress::Engine::Lzrw1kh;
constexpr auto goodEngine = TCompressProgress::Engine::Lzh;
constexpr const char* fastSizeMismatch =
    "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
constexpr const char* goodSizeMismatch = "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !";
}  // namespace

void Tlzrw1::CompressFast(Session& session) {
    session.bytesIn = 0;
    const std::span<std::uint8_t> input(session.inputBuffer);
    std::int64_t n = 0;
    do {
        n = session.in->Read(input.first(pieceSize));
        if (n < 0) {
            throw ELzrw1Exception(useStream_ ? std::string("Lzrw1 : Error reading from input stream ! (LZRW1/KH)")
                                             : "Lzrw1 : Error reading from input file : " + inputFile_ + " (LZRW1/KH)");
        }
        ProcessMessages();
        session.bytesIn += n;
        const std::uint16_t length = lzr_.CompressBlock(input.first(static_cast<std::size_t>(n)), session.outputBuffer);
        const std::array<std::uint8_t, 2> lengthBytes{static_cast<std::uint8_t>(length & 0xFF),
                                                      static_cast<std::uint8_t>(length >> 8)};
        CheckWritten(session.out->Write(lengthBytes), 2);
        session.bytesOut += 2;
        CheckWritten(session.out->Write(std::span<const std::uint8_t>(session.outputBuffer).first(length)), length);
        session.bytesOut += length;
        Progress(fastEngine, session);
    } while (n == static_cast<std::int64_t>(pieceSize));
}

void Tlzrw1::CompressGood(Session& session) {
    session.readerFill = 0;
    session.readerPosition = 1;
    session.writerPosition = 1;
    auto reader = [this, &session](std::span<std::uint8_t> buffer) { return ReadInput(session, buffer); };
    auto writer = [this, &session](std::span<const std::uint8_t> buffer) { return WriteOutput(session, buffer); };
    lzh_.EncodeStream(reader, writer);
    FlushOutput(session);
}

void Tlzrw1::DecompressFast(Session& session) {
    const std::span<std::uint8_t> input(session.inputBuffer);
    std::uint16_t blockResult = pieceSize;
    while (blockResult == pieceSize) {
        std::array<std::uint8_t, 2> lengthBytes{};
        CheckRead(session.in->Read(lengthBytes), 2);
        const std::size_t length = lengthBytes[0] | (static_cast<std::size_t>(lengthBytes[1]) << 8);
        // A damaged length would overrun the input buffer; no block is longer than this.
        if (length > TLZR::maxBlockLength) {
            throw ELzrw1Exception(messages::blockTooLong);
        }
        CheckRead(session.in->Read(input.first(length)), static_cast<std::int64_t>(length));
        session.bytesIn += static_cast<std::int64_t>(length) + 2;
        blockResult = lzr_.DecompressBlock(input.first(length), std::span(session.outputBuffer).first(pieceSize));
        CheckWritten(session.out->Write(std::span<const std::uint8_t>(session.outputBuffer).first(blockResult)),
                     blockResult);
        session.bytesOut += blockResult;
        Progress(fastEngine, session);
    }
    if (session.bytesOut != session.uncompressedSize) {
        throw ELzrw1Exception(fastSizeMismatch);
    }
}

void Tlzrw1::DecompressGood(Session& session) {
    session.readerPosition = 1;
    session.readerFill = 0;
    session.writerPosition = 1;
    session.stopOnTruncation = true;
    session.endOfInputSeen = 0;
    auto reader = [this, &session](std::span<std::uint8_t> buffer) { return ReadInput(session, buffer); };
    auto writer = [this, &session](std::span<const std::uint8_t> buffer) { return WriteOutput(session, buffer); };
    const TLZH::DecodeEnd end = lzh_.DecodeStream(static_cast<std::int32_t>(session.uncompressedSize), reader, writer);
    FlushOutput(session);
    if (session.bytesOut != session.uncompressedSize) {
        throw ELzrw1Exception(goodSizeMismatch);
    }
    // The code has no end marker: a header claiming fewer bytes than the code holds stops the
    // decoder early, leaving whole symbols unread. The code must end with the last symbol, in
    // the last byte, padded with zero bits. (The encoder leaves a byte or two of code for an
    // empty input, which nothing reads.)
    if (session.uncompressedSize == 0) {
        return;
    }
    session.stopOnTruncation = false;
    std::array<std::uint8_t, 1> probe{};
    const bool moreInput = ReadInput(session, probe) != 0;
    // Symbols that took bits from beyond the last byte were read from a code cut short: up to
    // two missing bytes read as zeros without reaching the limit above.
    const bool cutShort = end.bitsUsed > end.bytesDelivered * 8;
    if (moreInput || cutShort || end.bytesDelivered * 8 - end.bitsUsed >= 8 || !end.restIsZero) {
        throw ELzrw1Exception(goodSizeMismatch);
    }
}

std::uint16_t Tlzrw1::ReadInput(Session& session, std::span<std::uint8_t> buffer) {
    if (session.readerPosition > static_cast<std::size_t>(session.readerFill)) {
        const std::int64_t n = session.in->Read(std::span(session.inputBuffer).first(pieceSize));
        if (n < 0) {
            throw ELzrw1Exception(useStream_ ? std::string("Lzrw1 : Error reading from input stream ! (LZH)")
                                             : "Lzrw1 : Error reading from input file : " + inputFile_ + " (LZH)");
        }
        session.readerFill = n;
        session.bytesIn += n;
        ProcessMessages();
        Progress(goodEngine, session);
        if (n == 0) {
            // The decoder reads zero bits past the end and would go on producing bytes up to
            // the recorded size, however large. A whole stream never needs more than two bytes
            // beyond its end, so a third means it was cut short: stop before writing more.
            if (session.stopOnTruncation && ++session.endOfInputSeen > 2) {
                throw ELzrw1Exception(goodSizeMismatch);
            }
            return 0;
        }
        session.readerPosition = 1;
    }
    const std::size_t left = static_cast<std::size_t>(session.readerFill) - session.readerPosition + 1;
    const std::size_t count = std::min(buffer.size(), left);
    std::copy_n(session.inputBuffer.begin() + static_cast<std::ptrdiff_t>(session.readerPosition - 1), count,
                buffer.begin());
    session.readerPosition += count;
    return static_cast<std::uint16_t>(count);
}

std::uint16_t Tlzrw1::WriteOutput(Session& session, std::span<const std::uint8_t> buffer) {
    if (buffer.empty()) {
        FlushOutput(session);
        return 0;
    }
    if (session.writerPosition > pieceSize || buffer.size() + session.writerPosition > pieceSize + 1) {
        const std::size_t held = session.writerPosition - 1;
        CheckWritten(session.out->Write(std::span<const std::uint8_t>(session.outputBuffer).first(held)),
                     static_cast<std::int64_t>(held));
        session.bytesOut += static_cast<std::int64_t>(held);
        session.writerPosition = 1;
        Progress(goodEngine, session);
    }
    const std::size_t count = std::min(buffer.size(), pieceSize);
    std::copy_n(buffer.begin(), count,
                session.outputBuffer.begin() + static_cast<std::ptrdiff_t>(session.writerPosition - 1));
    session.writerPosition += count;
    return static_cast<std::uint16_t>(count);
}

void Tlzrw1::FlushOutput(Session& session) {
    const std::size_t held = session.writerPosition - 1;
    CheckWritten(session.out->Write(std::span<const std::uint8_t>(session.outputBuffer).first(held)),
                 static_cast<std::int64_t>(held));
    session.bytesOut += static_cast<std::int64_t>(held);
    session.writerPosition = 1;
    Progress(goodEngine, session);
}

}  // namespace bv3::compress
