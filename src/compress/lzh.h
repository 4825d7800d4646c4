#pragma once
// TLZH: the engine of the Good mode (LZHUF). LZSS matching over a 4096-byte ring window with
// binary search trees, literals and match lengths coded with one adaptive Huffman code, match
// positions with a fixed prefix code for their upper 6 bits. The code stream carries no length
// and no end mark: the container stores the uncompressed size in front of it.
//
// Every LZH container the system writes goes through this code, so its bit stream is fixed to
// the bit. The window beyond the initial spaces starts as zero bytes.

#include "compress/bound_operation.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace bv3::compress {

// Reads up to buffer.size() bytes into buffer and returns how many it delivered; 0 means the
// input has ended (and keeps meaning it). Both sides ask for runs of up to 4096 bytes; past
// the end, the decoder asks once for every byte the original one-byte-at-a-time reader would
// have fetched there (at most two for a whole code), so that a caller can count them.
using TLzhReadProc = BoundOperation<std::uint16_t(std::span<std::uint8_t> buffer)>;

// Takes the bytes of buffer and returns how many it accepted. Both sides pass runs of up to
// 4096 bytes and ignore the result: a sink reports a failure by throwing.
using TLzhWriteProc = BoundOperation<std::uint16_t(std::span<const std::uint8_t> buffer)>;

namespace lzh_detail {
struct Tables;
}

class TLZH {
public:
    TLZH();  // allocates nothing: the tables live only for the length of one run
    ~TLZH();
    TLZH(const TLZH&) = delete;
    TLZH& operator=(const TLZH&) = delete;

    // Reads source until it delivers nothing and writes the code stream to sink. Returns the
    // number of bytes read (also given back through bytesRead when it is not null). An exception
    // thrown by a callback ends the run; the tables are freed and the exception passes on.
    std::int32_t EncodeStream(TLzhReadProc source, TLzhWriteProc sink, std::int32_t* bytesRead = nullptr);

    // Where a decoding run stopped in its code: the bytes the source delivered and the bits of
    // them the symbols used. The code has no end marker, so only a caller that knows where its
    // code ends can tell a code holding more than count bytes' worth of symbols.
    struct DecodeEnd {
        std::int64_t bytesDelivered = 0;
        std::int64_t bitsUsed = 0;
        // Whether every delivered bit past the last symbol is 0, as the encoder pads its last byte.
        bool restIsZero = true;
    };

    // Writes decoded bytes to sink until at least count bytes have been produced (the last
    // match copy is not cut at count). Accepts any bit sequence: bits past the end of the
    // source read as 0, and every decoded symbol and distance is in range.
    DecodeEnd DecodeStream(std::int32_t count, TLzhReadProc source, TLzhWriteProc sink);

    // Output bytes emitted by the bit writer during the latest EncodeStream.
    std::int32_t BytesWritten() const { return bytesWritten_; }

private:
    void AllocTables();
    void FreeTables() noexcept;

    std::int32_t bytesRead_ = 0;
    std::int32_t bytesWritten_ = 0;
    std::unique_ptr<lzh_detail::Tables> tables_;
};

// The code stream of input, as the Good mode's container body holds it.
std::vector<std::uint8_t> lzhEncode(std::span<const std::uint8_t> input);

// Exactly count bytes decoded from code. Never reads outside code; bits past its end read as 0,
// so a damaged or truncated code yields wrong bytes rather than an error. Throws
// std::length_error, before reserving anything, for a count no code of this size can yield
// (more than 480 bytes per code byte, plus 480).
std::vector<std::uint8_t> lzhDecode(std::span<const std::uint8_t> code, std::size_t count);

}  // namespace bv3::compress
