#include "compress/lzh.h"

#include "compress/compress_error.h"
#include "compress/lzh_bits.h"
#include "compress/lzh_model.h"
#include "compress/lzh_tree.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace bv3::compress {

namespace lzh_detail {

// The tables of one run: the search trees with the window, and the Huffman model.
struct Tables {
    SearchTree tree;
    HuffmanModel model;
};

namespace {

constexpr int minMatch = 3;                       // a longest match of 2 or less goes as a literal
constexpr int lengthSymbolBase = 256 - minMatch;  // symbol = length + 253

// The fixed prefix code of a match position's upper 6 bits: canonical, taken in order of the
// value, each code one more than the previous, shifted left when the length grows.
struct PositionCode {
    std::array<std::uint8_t, 64> length{};
    std::array<std::uint8_t, 64> code{};  // left-aligned in a byte
    std::array<std::uint8_t, 256> decodeValue{};
    std::array<std::uint8_t, 256> decodeLength{};
};

constexpr PositionCode makePositionCode() {
    PositionCode table;
    constexpr std::array<int, 6> lastValueOfLength{0, 3, 11, 23, 47, 63};  // lengths 3 to 8
    unsigned code = 0;
    int length = 3;
    for (int u = 0; u < 64; ++u) {
        while (u > lastValueOfLength[static_cast<std::size_t>(length - 3)]) {
            ++length;
            code <<= 1;
        }
        table.length[static_cast<std::size_t>(u)] = static_cast<std::uint8_t>(length);
        const unsigned aligned = code << (8 - length);
        table.code[static_cast<std::size_t>(u)] = static_cast<std::uint8_t>(aligned);
        for (unsigned b = aligned; b < aligned + (1u << (8 - length)); ++b) {
            table.decodeValue[b] = static_cast<std::uint8_t>(u);
            table.decodeLength[b] = static_cast<std::uint8_t>(length);
        }
        ++code;
    }
    return table;
}

constexpr PositionCode positionCode = makePositionCode();
static_assert(positionCode.code[1] == 0x20 && positionCode.code[4] == 0x50 && positionCode.code[12] == 0x90);
static_assert(positionCode.code[24] == 0xC0 && positionCode.code[48] == 0xF0 && positionCode.code[63] == 0xFF);

void EncodeDistance(int position, BitWriter& out) {
    const auto upper = static_cast<std::size_t>(position >> 6);
    out.WriteBits(positionCode.length[upper], static_cast<std::uint16_t>(positionCode.code[upper] << 8));
    out.WriteBits(6, static_cast<std::uint16_t>((position & 63) << 10));
}

int DecodeDistance(BitReader& in) {
    // At most 14 bits: taken straight from the register when the source cannot be due before
    // the last of them.
    if (in.TopUp() >= 14) {
        const std::uint64_t bits = in.Peek();
        const auto b = static_cast<std::size_t>(bits >> 56);
        const int length = positionCode.decodeLength[b];
        const auto low = static_cast<int>((bits >> (64 - 6 - length)) & 63);
        in.Skip(static_cast<unsigned>(length + 6));
        return positionCode.decodeValue[b] * 64 + low;
    }
    unsigned b = in.ReadByte();
    const int upper = positionCode.decodeValue[b];
    const int length = positionCode.decodeLength[b];
    for (int i = 0; i < length - 2; ++i) {
        b = (b << 1) + in.ReadBit();
    }
    return upper * 64 + static_cast<int>(b & 63);
}

// The encoder's input, taken from the source in runs: a call per byte cost about as much as
// the byte's own work. Once the source delivers nothing, every later request asks it again.
class InputBytes {
public:
    explicit InputBytes(TLzhReadProc source) : source_(source) {}

    // The next input byte; false once the input has ended.
    bool Next(std::uint8_t& byte) {
        if (next_ == fill_) {
            fill_ = source_(std::span<std::uint8_t>(bytes_));
            next_ = 0;
            if (fill_ == 0) {
                return false;
            }
        }
        byte = bytes_[next_++];
        return true;
    }

private:
    TLzhReadProc source_;
    std::array<std::uint8_t, 4096> bytes_{};
    std::size_t next_ = 0;
    std::size_t fill_ = 0;
};

void PrefillSpaces(SearchTree& tree) {
    std::fill_n(tree.window.begin(), spacePrefill, std::uint8_t{0x20});
    std::fill(tree.window.begin() + spacePrefill, tree.window.end(), std::uint8_t{0});
}

}  // namespace
}  // namespace lzh_detail

using namespace lzh_detail;

TLZH::TLZH() = default;
TLZH::~TLZH() = default;

void TLZH::AllocTables() {
    bytesRead_ = 0;
    bytesWritten_ = 0;
    try {
        tables_ = std::make_unique<Tables>();
    } catch (const std::bad_alloc&) {
        throw ElzhException("LZH : Cannot get memory for dictionary tables");
    }
}

void TLZH::FreeTables() noexcept {
    tables_.reset();
}

namespace {
// Frees the tables at the end of a run, also when a callback throws.
struct TablesGuard {
    std::unique_ptr<Tables>& tables;
    ~TablesGuard() { tables.reset(); }
};
}  // namespace

std::int32_t TLZH::EncodeStream(TLzhReadProc source, TLzhWriteProc sink, std::int32_t* bytesRead) {
    AllocTables();
    TablesGuard guard{tables_};
    SearchTree& tree = tables_->tree;
    HuffmanModel& model = tables_->model;
    BitWriter out(sink);
    InputBytes input(source);
    model.Reset();
    tree.Reset();

    int s = 0;
    int r = spacePrefill;
    PrefillSpaces(tree);
    int len = 0;
    std::uint8_t byte = 0;
    while (len < lookahead && input.Next(byte)) {
        tree.window[static_cast<std::size_t>(r + len)] = byte;
        ++len;
    }
    bytesRead_ = len;
    for (int i = 1; i <= lookahead; ++i) {
        tree.InsertString(r - i);
    }
    tree.InsertString(r);

    do {
        if (tree.matchLength > len) {
            tree.matchLength = len;
        }
        if (tree.matchLength < minMatch) {
            tree.matchLength = 1;
            model.EncodeSymbol(tree.window[static_cast<std::size_t>(r)], out);
        } else {
            model.EncodeSymbol(tree.matchLength + lengthSymbolBase, out);
            EncodeDistance(tree.matchPosition, out);
        }
        const int last = tree.matchLength;
        int i = 0;
        while (i < last && input.Next(byte)) {
            tree.DeleteString(s);
            tree.window[static_cast<std::size_t>(s)] = byte;
            if (s < lookahead - 1) {
                tree.window[static_cast<std::size_t>(s + windowSize)] = byte;
            }
            s = (s + 1) & (windowSize - 1);
            r = (r + 1) & (windowSize - 1);
            tree.InsertString(r);
            ++i;
        }
        bytesRead_ += i;
        while (i < last) {
            ++i;
            tree.DeleteString(s);
            s = (s + 1) & (windowSize - 1);
            r = (r + 1) & (windowSize - 1);
            if (--len != 0) {
                tree.InsertString(r);
            }
        }
    } while (len > 0);
    out.FlushBits();
    bytesWritten_ = out.bytesWritten;
    if (bytesRead != nullptr) {
        *bytesRead = bytesRead_;
    }
    return bytesRead_;
}

namespace {
// The decoder's output goes to the sink in runs rather than byte by byte: one call per byte
// cost more than the decoding itself. The bytes and their order are the same.
class PendingOutput {
public:
    explicit PendingOutput(TLzhWriteProc sink) : sink_(sink) {}
    void Put(std::uint8_t byte) {
        if (used_ == bytes_.size()) {
            Flush();
        }
        bytes_[used_++] = byte;
    }
    // Room for count more bytes without a flush; Take then hands out that room.
    bool HasRoom(std::size_t count) const { return bytes_.size() - used_ >= count; }
    std::uint8_t* Take(std::size_t count) {
        std::uint8_t* const at = bytes_.data() + used_;
        used_ += count;
        return at;
    }
    void Flush() {
        if (used_ > 0) {
            sink_(std::span<const std::uint8_t>(bytes_.data(), used_));
            used_ = 0;
        }
    }

private:
    TLzhWriteProc sink_;
    std::array<std::uint8_t, 4096> bytes_{};
    std::size_t used_ = 0;
};
}  // namespace

TLZH::DecodeEnd TLZH::DecodeStream(std::int32_t count, TLzhReadProc source, TLzhWriteProc sink) {
    AllocTables();
    TablesGuard guard{tables_};
    auto& window = tables_->tree.window;
    HuffmanModel& model = tables_->model;
    BitReader in(source);
    PendingOutput out(sink);
    model.Reset();
    PrefillSpaces(tables_->tree);
    int r = spacePrefill;
    std::int64_t produced = 0;
    while (produced < count) {
        const int c = model.DecodeSymbol(in);
        if (c < 256) {
            const auto byte = static_cast<std::uint8_t>(c);
            out.Put(byte);
            window[static_cast<std::size_t>(r)] = byte;
            r = (r + 1) & (windowSize - 1);
            ++produced;
        } else {
            const int p = (r - DecodeDistance(in) - 1) & (windowSize - 1);
            const int length = c - lengthSymbolBase;
            const auto count = static_cast<std::size_t>(length);
            if (p + length <= windowSize && r + length <= windowSize && out.HasRoom(count)) {
                // Neither end wraps: a plain forward copy, byte by byte since the match may
                // overlap the bytes it is writing.
                std::uint8_t* const to = out.Take(count);
                std::uint8_t* const from = window.data() + p;
                std::uint8_t* const into = window.data() + r;
                for (std::size_t k = 0; k < count; ++k) {
                    const std::uint8_t byte = from[k];
                    into[k] = byte;
                    to[k] = byte;
                }
                r = (r + length) & (windowSize - 1);
                produced += length;
                continue;
            }
            for (int k = 0; k < length; ++k) {
                const std::uint8_t byte = window[static_cast<std::size_t>((p + k) & (windowSize - 1))];
                out.Put(byte);
                window[static_cast<std::size_t>(r)] = byte;
                r = (r + 1) & (windowSize - 1);
                ++produced;
            }
        }
    }
    out.Flush();
    return DecodeEnd{in.BytesDelivered(), in.BitsUsed(), in.BufferedBitsAreZero()};
}

std::vector<std::uint8_t> lzhEncode(std::span<const std::uint8_t> input) {
    std::vector<std::uint8_t> code;
    code.reserve(input.size() / 2 + 16);
    std::size_t next = 0;
    auto source = [&](std::span<std::uint8_t> buffer) -> std::uint16_t {
        const std::size_t count = std::min({buffer.size(), input.size() - next, std::size_t{0xFFFF}});
        std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(next), count, buffer.begin());
        next += count;
        return static_cast<std::uint16_t>(count);
    };
    auto sink = [&](std::span<const std::uint8_t> buffer) -> std::uint16_t {
        code.insert(code.end(), buffer.begin(), buffer.end());
        return static_cast<std::uint16_t>(buffer.size());
    };
    TLZH engine;
    engine.EncodeStream(source, sink);
    return code;
}

std::vector<std::uint8_t> lzhDecode(std::span<const std::uint8_t> code, std::size_t count) {
    // The engine counts in 32 bits, as the container's size field does.
    if (count > 0x7FFFFFFF) {
        throw std::length_error("LZH : cannot decode more than 2147483647 bytes");
    }
    // Every code symbol takes at least one bit and restores at most a lookahead's worth of
    // bytes, so no code yields more than that per bit (with one byte's worth of slack for the
    // bits an encoder's last byte leaves over). A larger count is a damaged length, refused
    // before any memory is set aside for it.
    const std::size_t possible = (code.size() + 1) * 8 * static_cast<std::size_t>(lzh_detail::lookahead);
    if (count > possible) {
        throw std::length_error("LZH : " + std::to_string(count) + " bytes cannot come from " +
                                std::to_string(code.size()) + " bytes of code");
    }
    std::vector<std::uint8_t> output;
    output.reserve(count);
    std::size_t next = 0;
    auto source = [&](std::span<std::uint8_t> buffer) -> std::uint16_t {
        const std::size_t count = std::min({buffer.size(), code.size() - next, std::size_t{0xFFFF}});
        std::copy_n(code.begin() + static_cast<std::ptrdiff_t>(next), count, buffer.begin());
        next += count;
        return static_cast<std::uint16_t>(count);
    };
    // The last match may run past count; only the bytes asked for are kept.
    auto sink = [&](std::span<const std::uint8_t> buffer) -> std::uint16_t {
        for (const std::uint8_t byte : buffer) {
            if (output.size() < count) {
                output.push_back(byte);
            }
        }
        return static_cast<std::uint16_t>(buffer.size());
    };
    TLZH engine;
    engine.DecodeStream(static_cast<std::int32_t>(count), source, sink);
    return output;
}

}  // namespace bv3::compress
