// TLZH, the LZHUF engine: exact code streams, what the encoder chooses, round trips through
// the tree rebuild, and codes longer than 16 bits.
#include "compress/lzh.h"
#include "compress/lzh_model.h"
#include "compress_test_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bv3::compress {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testdata::bytesOf;

// Reads a code stream back symbol by symbol, to see what the encoder chose.
class SymbolParser {
public:
    explicit SymbolParser(const Bytes& code) : code_(code), reader_(source_) { model_.Reset(); }

    int Symbol() { return model_.DecodeSymbol(reader_); }

    // A match position (distance - 1), read the way the decoder reads it.
    int Position() {
        unsigned b = reader_.ReadByte();
        int length = 3;
        int upper = 0;
        // Rebuild the canonical code on the fly: count codes of each length up to b.
        const int lastOfLength[] = {0, 3, 11, 23, 47, 63};
        unsigned code = 0;
        for (int u = 0; u < 64; ++u) {
            while (u > lastOfLength[length - 3]) {
                ++length;
                code <<= 1;
            }
            if ((b >> (8 - length)) == code) {
                upper = u;
                break;
            }
            ++code;
        }
        for (int i = 0; i < length - 2; ++i) {
            b = (b << 1) + reader_.ReadBit();
        }
        return upper * 64 + static_cast<int>(b & 63);
    }

private:
    const Bytes& code_;
    std::size_t next_ = 0;
    std::function<std::uint16_t(std::span<std::uint8_t>)> sourceFunction_ = [this](std::span<std::uint8_t> buffer) {
        if (next_ >= code_.size()) {
            return std::uint16_t{0};
        }
        buffer[0] = code_[next_++];
        return std::uint16_t{1};
    };
    TLzhReadProc source_{sourceFunction_};
    lzh_detail::BitReader reader_;
    lzh_detail::HuffmanModel model_;
};

struct CodeCase {
    const char* name;
    std::string input;
    Bytes code;
};

class LzhCodeBytes : public testing::TestWithParam<CodeCase> {};

TEST_P(LzhCodeBytes, EncodesToTheseExactBytesAndBack) {
    const CodeCase& c = GetParam();
    EXPECT_EQ(lzhEncode(bytesOf(c.input)), c.code);
    EXPECT_EQ(lzhDecode(c.code, c.input.size()), bytesOf(c.input));
}

INSTANTIATE_TEST_SUITE_P(Vectors, LzhCodeBytes,
                         testing::Values(CodeCase{"abc", "abc", {0xF6, 0xFB, 0xBD, 0xE0}},
                                         CodeCase{"abc_three_times", "abcabcabc", {0xF6, 0xFB, 0xBD, 0xF1, 0xE0, 0x20}},
                                         // Empty: the literal at window position 4036, a zero
                                         // byte, is still coded (9 bits: symbol 0).
                                         CodeCase{"empty", "", {0xC6, 0x00}}),
                         [](const testing::TestParamInfo<CodeCase>& info) { return std::string(info.param.name); });

TEST(LzhEncoder, EmptyInputDecodesToNothingWithoutReadingTheCode) {
    EXPECT_TRUE(lzhDecode(lzhEncode({}), 0).empty());
    EXPECT_TRUE(lzhDecode({}, 0).empty());
}

TEST(LzhEncoder, SixtyOneEqualBytesAreOneLiteralAndOneLongestMatch) {
    const Bytes code = lzhEncode(Bytes(61, 'Q'));
    SymbolParser parser(code);
    EXPECT_EQ(parser.Symbol(), 'Q');
    EXPECT_EQ(parser.Symbol(), 313);  // length 60
    EXPECT_EQ(parser.Position(), 0);  // distance 1
}

TEST(LzhEncoder, LeadingSpacesAreAMatchIntoThePrefilledWindow) {
    const std::string input = "    Aurora One";
    const Bytes code = lzhEncode(bytesOf(input));
    SymbolParser parser(code);
    EXPECT_EQ(parser.Symbol(), 4 + 253);  // four spaces as one match
    EXPECT_EQ(lzhDecode(code, input.size()), bytesOf(input));
}

TEST(LzhEncoder, TheNearestOfEquallyLongMatchesIsCoded) {
    // The third "abc" meets both earlier ones on its way down the tree ("abcX" sorts below
    // "abcY", and "abc" followed by the zero bytes below both): distance 4 wins over 8.
    const Bytes code = lzhEncode(bytesOf("abcYabcXabc"));
    SymbolParser parser(code);
    for (const char literal : std::string("abcY")) {
        EXPECT_EQ(parser.Symbol(), literal);
    }
    EXPECT_EQ(parser.Symbol(), 3 + 253);
    EXPECT_EQ(parser.Position(), 3);
    EXPECT_EQ(parser.Symbol(), 'X');
    EXPECT_EQ(parser.Symbol(), 3 + 253);
    EXPECT_EQ(parser.Position(), 3);
}

Bytes withLeadingSpaces() {
    Bytes input(70, ' ');
    const Bytes text = testdata::channelText(5000);
    input.insert(input.end(), text.begin(), text.end());
    return input;
}

Bytes runsAndNoise() {
    Bytes input(100000, 0);
    const Bytes noise = testdata::randomBytes(20000, 11);
    input.insert(input.end(), noise.begin(), noise.end());
    input.insert(input.end(), 70000, 0xFF);
    return input;
}

// Byte values whose positions in the window straddle the ring's end (positions near 4095 and
// the repeated bytes at 4096 onwards) are compared as one string.
Bytes periodAcrossTheRing() {
    Bytes input;
    for (int i = 0; i < 30000; ++i) {
        input.push_back(
            static_cast<std::uint8_t>("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX"[i % 61]));
    }
    return input;
}

struct RoundTripCase {
    const char* name;
    Bytes input;
};

class LzhRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(LzhRoundTrip, RestoresEveryByte) {
    const Bytes& input = GetParam().input;
    const Bytes code = lzhEncode(input);
    EXPECT_EQ(lzhDecode(code, input.size()), input);
}

// Random bytes are all literals, so 40000 of them take the root weight past 0x8000: encoder
// and decoder must rebuild the tree at the same symbol. The text and run inputs cross it with
// skewed weights, several times.
INSTANTIATE_TEST_SUITE_P(Inputs, LzhRoundTrip,
                         testing::Values(RoundTripCase{"one_byte", {0x42}}, RoundTripCase{"two_spaces", bytesOf("  ")},
                                         RoundTripCase{"text", testdata::channelText(300000)},
                                         RoundTripCase{"random_past_rebuild", testdata::randomBytes(100000, 2)},
                                         RoundTripCase{"runs_and_noise", runsAndNoise()},
                                         RoundTripCase{"leading_spaces", withLeadingSpaces()},
                                         RoundTripCase{"period_across_ring", periodAcrossTheRing()},
                                         RoundTripCase{"zeros_then_text",
                                                       [] {
                                                           Bytes input(5000, 0);
                                                           const Bytes text = testdata::channelText(9000, 4);
                                                           input.insert(input.end(), text.begin(), text.end());
                                                           return input;
                                                       }()}),
                         [](const testing::TestParamInfo<RoundTripCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(LzhDecoder, ATruncatedCodeReadsZeroBitsAndStillGivesTheCount) {
    const Bytes input = testdata::channelText(20000);
    Bytes code = lzhEncode(input);
    code.resize(code.size() / 2);
    const Bytes restored = lzhDecode(code, input.size());
    ASSERT_EQ(restored.size(), input.size());
    EXPECT_NE(restored, input);
}

TEST(LzhDecoder, AnyBitSequenceDecodesWithinBounds) {
    for (std::uint32_t seed = 1; seed < 20; ++seed) {
        const Bytes garbage = testdata::randomBytes(seed * 37, seed);
        EXPECT_EQ(lzhDecode(garbage, 5000).size(), 5000u);
    }
}

// What a decoding run shows its source and sink: a caller that counts the source's empty
// answers (the end of the code) detects a cut-short code by them, so they must come as often,
// and at the same point of the output, as with a reader that takes one byte per request.
struct SourceView {
    Bytes output;
    std::vector<std::size_t> outputAtEmptyAnswer;  // bytes the sink had when the source said 0
    TLZH::DecodeEnd end;
};

SourceView decodeInRuns(const Bytes& code, std::int32_t count, std::size_t run) {
    SourceView view;
    std::size_t next = 0;
    auto source = [&](std::span<std::uint8_t> buffer) -> std::uint16_t {
        const std::size_t n = std::min({buffer.size(), run, code.size() - next});
        if (n == 0) {
            view.outputAtEmptyAnswer.push_back(view.output.size());
        }
        std::copy_n(code.begin() + static_cast<std::ptrdiff_t>(next), n, buffer.begin());
        next += n;
        return static_cast<std::uint16_t>(n);
    };
    auto sink = [&](std::span<const std::uint8_t> bytes) -> std::uint16_t {
        view.output.insert(view.output.end(), bytes.begin(), bytes.end());
        return static_cast<std::uint16_t>(bytes.size());
    };
    TLZH engine;
    view.end = engine.DecodeStream(count, source, sink);
    return view;
}

TEST(LzhDecoder, TheSourceSeesTheSameRequestsPastTheEndWhateverRunsItDelivers) {
    const Bytes input = testdata::channelText(20000);
    const Bytes code = lzhEncode(input);
    const auto count = static_cast<std::int32_t>(input.size());
    const auto cut = [&](std::size_t missing) {
        return Bytes(code.begin(), code.end() - static_cast<std::ptrdiff_t>(missing));
    };
    struct Case {
        const char* name;
        Bytes code;
        std::int32_t count;
    };
    const Case cases[] = {
        {"whole code", code, count},
        {"last byte missing", cut(1), count},
        {"two bytes missing", cut(2), count},
        {"three bytes missing", cut(3), count},
        {"half missing", cut(code.size() / 2), count},
        {"no code at all", {}, 300},
        {"noise", testdata::randomBytes(700, 5), 9000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SourceView byByte = decodeInRuns(c.code, c.count, 1);
        // The original reader held 16 bits and asked for a byte whenever 8 or fewer were left;
        // the last bit it took was the end of a code, so it had asked for (used + 15) / 8 bytes.
        const std::int64_t asked = (byByte.end.bitsUsed + 15) / 8;
        const auto codeSize = static_cast<std::int64_t>(c.code.size());
        EXPECT_EQ(static_cast<std::int64_t>(byByte.outputAtEmptyAnswer.size()),
                  std::max<std::int64_t>(0, asked - codeSize));
        EXPECT_EQ(byByte.end.bytesDelivered, std::min(asked, codeSize));
        for (const std::size_t run : {std::size_t{2}, std::size_t{7}, std::size_t{4096}}) {
            SCOPED_TRACE(run);
            const SourceView inRuns = decodeInRuns(c.code, c.count, run);
            EXPECT_EQ(inRuns.output, byByte.output);
            EXPECT_EQ(inRuns.outputAtEmptyAnswer, byByte.outputAtEmptyAnswer);
            EXPECT_EQ(inRuns.end.bytesDelivered, byByte.end.bytesDelivered);
            EXPECT_EQ(inRuns.end.bitsUsed, byByte.end.bitsUsed);
            EXPECT_EQ(inRuns.end.restIsZero, byByte.end.restIsZero);
        }
    }
    // A whole code is read with at most two requests past its end, and ends inside its last
    // byte; half a code takes many more.
    const SourceView whole = decodeInRuns(code, count, 4096);
    EXPECT_EQ(whole.output, input);
    EXPECT_LE(whole.outputAtEmptyAnswer.size(), 2u);
    EXPECT_LE(whole.end.bitsUsed, whole.end.bytesDelivered * 8);
    EXPECT_GT(whole.end.bitsUsed, whole.end.bytesDelivered * 8 - 8);
    EXPECT_GT(decodeInRuns(cut(code.size() / 2), count, 4096).outputAtEmptyAnswer.size(), 2u);
    EXPECT_GT(decodeInRuns(cut(1), count, 4096).end.bitsUsed, static_cast<std::int64_t>(code.size() - 1) * 8);
}

// A damaged length (a block descriptor, a container's size) must not make the decoder set
// aside gigabytes for a few bytes of code: no symbol restores more than 60 bytes from one bit.
TEST(LzhDecoder, ACountNoCodeOfItsSizeCanYieldIsRefusedBeforeAnyMemoryIsSetAside) {
    struct Case {
        const char* name;
        std::size_t codeSize;
        std::size_t count;
        bool refused;
    };
    const Case cases[] = {
        {"empty code, one symbol's worth", 0, 480, false}, {"empty code, one byte more", 0, 481, true},
        {"ten bytes, at the bound", 10, 11 * 480, false},  {"ten bytes, past the bound", 10, 11 * 480 + 1, true},
        {"the largest count", 100, 0x7FFFFFFF, true},      {"beyond 32 bits", 100, std::size_t{0xFFFFFFFF}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes code = testdata::randomBytes(c.codeSize, 7);
        if (c.refused) {
            EXPECT_THROW(lzhDecode(code, c.count), std::length_error);
        } else {
            EXPECT_EQ(lzhDecode(code, c.count).size(), c.count);
        }
    }
    // What the encoder writes is always far inside the bound.
    const Bytes spaces(200000, ' ');
    EXPECT_EQ(lzhDecode(lzhEncode(spaces), spaces.size()), spaces);
}

// The encoder and the decoder each run the model; drive it straight with a symbol sequence
// whose weights grow like Fibonacci numbers, which pushes the rarest symbols deeper than 16
// levels long before the root weight reaches 0x8000.
std::vector<int> deepeningSymbols() {
    constexpr int chain = 9;
    constexpr long rest = lzh_detail::HuffmanModel::symbolCount - chain;
    std::vector<long> counts = {rest + 1, rest + 2};
    std::vector<long> inner = {rest + counts[0]};
    for (int i = 2; i < chain; ++i) {
        counts.push_back(inner[static_cast<std::size_t>(i - 2)] + 1);
        inner.push_back(inner[static_cast<std::size_t>(i - 2)] + counts[static_cast<std::size_t>(i - 1)]);
    }
    std::vector<int> symbols;
    for (int s = 0; s < chain; ++s) {
        symbols.insert(symbols.end(), static_cast<std::size_t>(counts[static_cast<std::size_t>(s)] - 1), s);
    }
    // Then every other symbol once, the deep ones first (one more count for a chain symbol
    // would lift them), and on through the 0x8000 rebuild, to show both sides stay in step.
    for (int s = lzh_detail::HuffmanModel::symbolCount - 1; s >= 0; --s) {
        symbols.push_back(s);
    }
    for (int i = 0; i < 10000; ++i) {
        symbols.push_back(i % 3 == 0 ? 300 : 5);
    }
    return symbols;
}

TEST(LzhModel, CodesLongerThanSixteenBitsAreSentWhole) {
    const std::vector<int> symbols = deepeningSymbols();
    Bytes code;
    auto sinkFunction = [&](std::span<const std::uint8_t> bytes) {
        code.insert(code.end(), bytes.begin(), bytes.end());
        return static_cast<std::uint16_t>(bytes.size());
    };
    lzh_detail::BitWriter writer{TLzhWriteProc(sinkFunction)};
    lzh_detail::HuffmanModel encoder;
    encoder.Reset();
    int longest = 0;
    bool rebuilt = false;
    for (const int symbol : symbols) {
        longest = std::max(longest, encoder.CodeLength(symbol));
        rebuilt = rebuilt || encoder.RootWeight() == lzh_detail::HuffmanModel::weightLimit;
        encoder.EncodeSymbol(symbol, writer);
    }
    writer.FlushBits();
    EXPECT_GT(longest, 16);
    EXPECT_TRUE(rebuilt);

    SymbolParser parser(code);
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        ASSERT_EQ(parser.Symbol(), symbols[i]) << "symbol " << i;
    }
}

}  // namespace
}  // namespace bv3::compress
