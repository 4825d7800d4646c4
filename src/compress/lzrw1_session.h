#pragma once
// What one operation of the compressor holds: its two I/O buffers, its files or streams and
// its counters. It exists only for the length of the operation.

#include "compress/lzrw1.h"

#include <memory>
#include <vector>

namespace bv3::compress {

// 32768 bytes plus 16 spare ones, which the LZRW1/KH coder writes into before it notices that
// a block is not getting smaller.
inline constexpr std::size_t pieceSize = 32768;
inline constexpr std::size_t ioBufferSize = pieceSize + 16;

struct Tlzrw1::Session {
    // Throws bad_alloc when the buffers cannot be had; the caller words the message.
    Session() : inputBuffer(ioBufferSize), outputBuffer(ioBufferSize) {}

    std::vector<std::uint8_t> inputBuffer;
    std::vector<std::uint8_t> outputBuffer;
    std::unique_ptr<TFileStream> inputFile;   // file mode only
    std::unique_ptr<TFileStream> outputFile;  // file mode only, once created
    TStream* in = nullptr;
    TStream* out = nullptr;

    std::int64_t bytesIn = 0;
    std::int64_t bytesOut = 0;
    std::int64_t uncompressedSize = 0;
    std::int64_t readerFill = 0;
    std::size_t readerPosition = 1;  // 1-based index of the next byte
    std::size_t writerPosition = 1;  // 1-based index of the next free byte
    // While restoring an LZH body: how often the input has been found at its end. A whole
    // code stream never needs more than two bytes beyond its end.
    bool stopOnTruncation = false;
    int endOfInputSeen = 0;
};

}  // namespace bv3::compress
