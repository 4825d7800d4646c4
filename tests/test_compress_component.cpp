// Tlzrw1, the compressor component: container bytes, modes, stream and file mode, Advise,
// damaged containers, clean-up after failures, and every message and status text.
#include "compress/lzrw1.h"
#include "compress_test_data.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace bv3::compress {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using testdata::bytesOf;

using bv3::testfiles::readBytes;
using bv3::testfiles::writeBytes;

Bytes header(std::uint32_t magic, std::uint32_t size) {
    Bytes bytes;
    for (const std::uint32_t value : {magic, size}) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    }
    return bytes;
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Compresses or restores bytes in stream mode over memory streams.
Bytes compressBytes(const Bytes& input, TCompressMode mode, std::int32_t* result = nullptr) {
    Tlzrw1 component;
    TMemoryStream in(input);
    TMemoryStream out;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    component.SetCompressMode(mode);
    const std::int32_t written = component.Compress();
    if (result != nullptr) {
        *result = written;
    }
    return out.Bytes();
}

Bytes decompressBytes(const Bytes& container, TCompressMode modeSet = TCompressMode::Good) {
    Tlzrw1 component;
    TMemoryStream in(container);
    TMemoryStream out;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    component.SetCompressMode(modeSet);
    const std::int32_t restored = component.Decompress();
    EXPECT_EQ(static_cast<std::size_t>(restored), out.Bytes().size());
    return out.Bytes();
}

template <class Operation>
std::string failureOf(Operation operation) {
    try {
        operation();
    } catch (const ELzrw1Exception& failure) {
        return failure.what();
    }
    return "(no ELzrw1Exception)";
}

// A stream that fails on demand and records its seeks.
class SpyStream final : public TStream {
public:
    explicit SpyStream(Bytes bytes = {}) : inner(std::move(bytes)) {}
    std::int64_t Read(std::span<std::uint8_t> buffer) override { return failRead ? -1 : inner.Read(buffer); }
    std::int64_t Write(std::span<const std::uint8_t> buffer) override {
        return failWrite ? static_cast<std::int64_t>(buffer.size()) - 1 : inner.Write(buffer);
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        if (origin == TSeekOrigin::soBeginning) {
            seeks.push_back(offset);
        }
        return failSeek ? -1 : inner.Seek(offset, origin);
    }
    std::int64_t Size() override { return failSize ? -1 : inner.Size(); }

    TMemoryStream inner;
    bool failRead = false;
    bool failWrite = false;
    bool failSeek = false;
    bool failSize = false;
    std::vector<std::int64_t> seeks;
};

class Lzrw1Files : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("bv3_compress_" + std::to_string(::getpid()) + "_" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    // A file-mode component over dir/in and dir/out.
    void useFiles(Tlzrw1& component, const std::string& in = "in", const std::string& out = "out") const {
        component.SetInputFile(path(in));
        component.SetOutputFile(path(out));
    }

    fs::path dir;
};

// Defaults, the loaded notification

TEST(Lzrw1Component, StartsWithItsDefaults) {
    Tlzrw1 component;
    EXPECT_FALSE(component.UseStream());
    EXPECT_EQ(component.InputFile(), "");
    EXPECT_EQ(component.OutputFile(), "");
    EXPECT_EQ(component.CompressMode(), TCompressMode::Good);
    EXPECT_EQ(component.Threshold(), 40);
    EXPECT_EQ(component.InputStream(), nullptr);
    EXPECT_EQ(component.OutputStream(), nullptr);
    component.Loaded(true);
    EXPECT_EQ(component.StatusText(), "LZRW1/KH Compressor / Decompressor");
    component.Loaded(false);
    EXPECT_EQ(component.StatusText(), "");
}

// Container bytes

TEST(Lzrw1Container, EmptyInputFastIsElevenBytes) {
    std::int32_t written = 0;
    const Bytes container = compressBytes({}, TCompressMode::Fast, &written);
    EXPECT_EQ(container, (Bytes{0x57, 0x52, 0x5A, 0x4C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x80}));
    EXPECT_EQ(written, 11);
    EXPECT_TRUE(decompressBytes(container).empty());
}

TEST(Lzrw1Container, AbcGoodIsTwelveBytes) {
    std::int32_t written = 0;
    const Bytes container = compressBytes(bytesOf("abc"), TCompressMode::Good, &written);
    EXPECT_EQ(container, (Bytes{0x21, 0x48, 0x5A, 0x4C, 0x03, 0x00, 0x00, 0x00, 0xF6, 0xFB, 0xBD, 0xE0}));
    EXPECT_EQ(written, 12);
    EXPECT_EQ(decompressBytes(container, TCompressMode::Fast), bytesOf("abc"));
}

TEST(Lzrw1Container, EmptyInputGoodIsAHeaderAndAShortCodeNeverRead) {
    const Bytes container = compressBytes({}, TCompressMode::Good);
    ASSERT_GE(container.size(), 9u);
    ASSERT_LE(container.size(), 10u);
    EXPECT_EQ(Bytes(container.begin(), container.begin() + 8), header(lzhMagic, 0));
    EXPECT_TRUE(decompressBytes(container).empty());
    EXPECT_TRUE(decompressBytes(header(lzhMagic, 0)).empty());
}

TEST(Lzrw1Container, FullPiecesEndWithAnEmptyOrShortBlock) {
    const Bytes full = compressBytes(Bytes(32768, 'z'), TCompressMode::Fast);
    // One compressed block, then the empty block.
    ASSERT_GT(full.size(), 13u);
    EXPECT_EQ(Bytes(full.begin(), full.begin() + 8), header(lzrw1khMagic, 32768));
    const std::size_t length = full[8] | (full[9] << 8);
    EXPECT_EQ(full.size(), 8 + 2 + length + 3);
    EXPECT_EQ(Bytes(full.end() - 3, full.end()), (Bytes{0x01, 0x00, 0x80}));
    EXPECT_EQ(decompressBytes(full), Bytes(32768, 'z'));

    Bytes input(32769, 'z');
    input.back() = 'q';
    const Bytes longer = compressBytes(input, TCompressMode::Fast);
    EXPECT_EQ(Bytes(longer.end() - 4, longer.end()), (Bytes{0x02, 0x00, 0x80, 'q'}));
    EXPECT_EQ(longer.size(), full.size() + 1);
    EXPECT_EQ(decompressBytes(longer), input);
}

TEST(Lzrw1Container, RandomPiecesAreStoredBlocks) {
    const Bytes input = testdata::randomBytes(40000, 3);
    const Bytes container = compressBytes(input, TCompressMode::Fast);
    // Two stored blocks (32769 and 7233 bytes) behind their lengths.
    EXPECT_EQ(container.size(), 8 + 2 + 32769 + 2 + 7233u);
    EXPECT_EQ(container[8], 0x01);
    EXPECT_EQ(container[9], 0x80);
    EXPECT_EQ(container[10], 0x80);
}

// Round trips

struct RoundTripCase {
    const char* name;
    Bytes input;
};

class Lzrw1RoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(Lzrw1RoundTrip, EitherModeRestoresWhateverModeIsSetThen) {
    const Bytes& input = GetParam().input;
    for (const TCompressMode mode : {TCompressMode::Good, TCompressMode::Fast}) {
        const Bytes container = compressBytes(input, mode);
        for (const TCompressMode later : {TCompressMode::Good, TCompressMode::Fast, TCompressMode::Auto}) {
            EXPECT_EQ(decompressBytes(container, later), input);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Lzrw1RoundTrip,
    testing::Values(RoundTripCase{"one_byte", {7}}, RoundTripCase{"text_200k", testdata::channelText(200000)},
                    RoundTripCase{"random_70k", testdata::randomBytes(70000, 9)},
                    RoundTripCase{"three_pieces_exactly", Bytes(3 * 32768, 0xAB)},
                    RoundTripCase{"leading_spaces", concat(Bytes(100, ' '), testdata::channelText(40000))}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

// Stream mode

TEST(Lzrw1Streams, ReadFromAndWriteAtTheCurrentPositions) {
    const Bytes text = testdata::channelText(50000);
    TMemoryStream in(concat(bytesOf("SKIP"), text));
    TMemoryStream out(bytesOf("KEEP"));
    in.Seek(4, TSeekOrigin::soBeginning);
    out.Seek(4, TSeekOrigin::soBeginning);
    Tlzrw1 component;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    for (const TCompressMode mode : {TCompressMode::Good, TCompressMode::Fast}) {
        component.SetCompressMode(mode);
        in.Seek(4, TSeekOrigin::soBeginning);
        out = TMemoryStream(bytesOf("KEEP"));
        out.Seek(4, TSeekOrigin::soBeginning);
        component.Compress();
        const Bytes& written = out.Bytes();
        ASSERT_EQ(Bytes(written.begin(), written.begin() + 4), bytesOf("KEEP"));
        // The recorded size is what was compressed: the stream from its position on.
        const Bytes container(written.begin() + 4, written.end());
        EXPECT_EQ(container[4] | (container[5] << 8) | (container[6] << 16), static_cast<int>(text.size()));
        EXPECT_EQ(decompressBytes(container), text);
    }
}

TEST(Lzrw1Streams, StdStreamsWorkLikeMemoryStreams) {
    const Bytes input = testdata::channelText(70000);
    std::stringstream source(std::string(input.begin(), input.end()));
    std::stringstream container;
    TStdStream in(source);
    TStdStream out(container);
    Tlzrw1 component;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    component.Compress();
    EXPECT_EQ(bytesOf(container.str()), compressBytes(input, TCompressMode::Good));

    std::stringstream restored;
    TStdStream back(restored);
    container.seekg(0);
    component.SetInputStream(&out);
    component.SetOutputStream(&back);
    EXPECT_EQ(component.Decompress(), static_cast<std::int32_t>(input.size()));
    EXPECT_EQ(bytesOf(restored.str()), input);
}

struct StreamFailureCase {
    const char* name;
    bool compress;
    TCompressMode mode;
    void (*breakStreams)(SpyStream& in, SpyStream& out);
    bool nullInput;
    bool nullOutput;
    const char* message;
};

class Lzrw1StreamFailure : public testing::TestWithParam<StreamFailureCase> {};

TEST_P(Lzrw1StreamFailure, RaisesTheStreamMessage) {
    const StreamFailureCase& c = GetParam();
    const Bytes input = c.compress ? testdata::channelText(1000) : compressBytes(testdata::channelText(1000), c.mode);
    SpyStream in(input);
    SpyStream out;
    if (c.breakStreams != nullptr) {
        c.breakStreams(in, out);
    }
    Tlzrw1 component;
    component.SetUseStream(true);
    component.SetInputStream(c.nullInput ? nullptr : &in);
    component.SetOutputStream(c.nullOutput ? nullptr : &out);
    component.SetCompressMode(c.mode);
    EXPECT_EQ(failureOf([&] { c.compress ? component.Compress() : component.Decompress(); }), c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Lzrw1StreamFailure,
    testing::Values(StreamFailureCase{"no_input", false, TCompressMode::Good, nullptr, true, false,
                                      "Lzrw1 (de)compression : Failed to initialize input stream !"},
                    StreamFailureCase{"no_output", false, TCompressMode::Good, nullptr, false, true,
                                      "Lzrw1 (de)compression : Failed to initialize output stream !"},
                    StreamFailureCase{"output_cannot_seek", true, TCompressMode::Good,
                                      [](SpyStream&, SpyStream& out) { out.failSeek = true; }, false, false,
                                      "Lzrw1 (de)compression : Failed to initialize output stream !"},
                    StreamFailureCase{"size_unknown", true, TCompressMode::Good,
                                      [](SpyStream& in, SpyStream&) { in.failSize = true; }, false, false,
                                      "Lzrw1 compression : Failed to obtain the size of the input stream !"},
                    StreamFailureCase{"write_short", true, TCompressMode::Fast,
                                      [](SpyStream&, SpyStream& out) { out.failWrite = true; }, false, false,
                                      "Lzrw1 : Error writing to output stream !"},
                    StreamFailureCase{"read_fails_fast", true, TCompressMode::Fast,
                                      [](SpyStream& in, SpyStream&) { in.failRead = true; }, false, false,
                                      "Lzrw1 : Error reading from input stream ! (LZRW1/KH)"},
                    StreamFailureCase{"read_fails_good", true, TCompressMode::Good,
                                      [](SpyStream& in, SpyStream&) { in.failRead = true; }, false, false,
                                      "Lzrw1 : Error reading from input stream ! (LZH)"},
                    StreamFailureCase{"header_read_fails", false, TCompressMode::Fast,
                                      [](SpyStream& in, SpyStream&) { in.failRead = true; }, false, false,
                                      "Lzrw1 : Error reading from input stream !"},
                    StreamFailureCase{
                        "no_valid_header", false, TCompressMode::Good,
                        [](SpyStream& in, SpyStream&) { in.inner = TMemoryStream(bytesOf("PK\3\4rest")); }, false,
                        false, "Lzrw1 decompression : input stream contains no valid header !"}),
    [](const testing::TestParamInfo<StreamFailureCase>& info) { return std::string(info.param.name); });

// Damaged containers

Bytes fastContainer(std::uint32_t size, const std::vector<Bytes>& blocks) {
    Bytes container = header(lzrw1khMagic, size);
    for (const Bytes& block : blocks) {
        container.push_back(static_cast<std::uint8_t>(block.size()));
        container.push_back(static_cast<std::uint8_t>(block.size() >> 8));
        container.insert(container.end(), block.begin(), block.end());
    }
    return container;
}

struct DamagedCase {
    const char* name;
    Bytes container;
    std::string message;  // "%s" stands for the input file's path
};

Bytes tooLongLength() {
    Bytes container = header(lzrw1khMagic, 40000);
    container.insert(container.end(), {0x02, 0x80});  // 32770
    container.insert(container.end(), 32770, 0x80);
    return container;
}

Bytes runsBeyondTheBlock() {
    Bytes block{0x40, 0xFF, 0xFF};
    for (int i = 0; i < 9; ++i) {
        block.insert(block.end(), {0x00, 0x0F, 0xEF, 0x55});
    }
    return fastContainer(40000, {block});
}

Bytes truncatedGood() {
    const Bytes input = testdata::channelText(30000);
    Bytes container = compressBytes(input, TCompressMode::Good);
    container.resize(container.size() / 2);
    return container;
}

// The last byte or two of a code missing: the decoder reads zero bits in their place and
// reaches the recorded size with wrong bytes at the end.
Bytes goodCutBy(std::size_t missing) {
    Bytes container = compressBytes(testdata::channelText(30000), TCompressMode::Good);
    container.resize(container.size() - missing);
    return container;
}

Bytes hugeGoodSize() {
    Bytes container = compressBytes(bytesOf("abc"), TCompressMode::Good);
    container[4] = 0xFF;
    container[5] = 0xFF;
    container[6] = 0xFF;
    container[7] = 0x7F;
    return container;
}

// A header that claims fewer bytes than the code holds: the decoder would stop early and the
// rest of the code would go unread.
Bytes goodSizeShortBy(std::uint32_t missing) {
    const Bytes input = testdata::channelText(3000);
    Bytes container = compressBytes(input, TCompressMode::Good);
    const std::uint32_t claimed = static_cast<std::uint32_t>(input.size()) - missing;
    for (int i = 0; i < 4; ++i) {
        container[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(claimed >> (8 * i));
    }
    return container;
}

class Lzrw1Damaged : public Lzrw1Files, public testing::WithParamInterface<DamagedCase> {};

// The output is written beside the target and deleted on failure: the file that had the
// target's name before keeps its content, and nothing else is left.
TEST_P(Lzrw1Damaged, RaisesAndKeepsTheEarlierOutput) {
    const DamagedCase& c = GetParam();
    writeBytes(path("in"), c.container);
    writeBytes(path("out"), bytesOf("an older file of that name"));
    Tlzrw1 component;
    useFiles(component);
    std::string message = c.message;
    if (const auto at = message.find("%s"); at != std::string::npos) {
        message.replace(at, 2, path("in"));
    }
    EXPECT_EQ(failureOf([&] { component.Decompress(); }), message);
    EXPECT_EQ(readBytes(path("out")), bytesOf("an older file of that name"));
    EXPECT_TRUE(fs::exists(path("in")));
    EXPECT_EQ(std::distance(fs::directory_iterator(path("")), fs::directory_iterator()), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Containers, Lzrw1Damaged,
    testing::Values(DamagedCase{"no_valid_header", bytesOf("QNF!...."),
                                "%s : Lzrw1 decompression : this file has no valid header !"},
                    DamagedCase{"shorter_than_a_magic", bytesOf("WRZ"), "Lzrw1 : Error reading from input file : %s"},
                    DamagedCase{"no_size", Bytes{0x57, 0x52, 0x5A, 0x4C, 1},
                                "Lzrw1 : Error reading from input file : %s"},
                    DamagedCase{"cut_inside_a_block",
                                [] {
                                    Bytes container = compressBytes(testdata::channelText(50000), TCompressMode::Fast);
                                    container.resize(container.size() - 100);
                                    return container;
                                }(),
                                "Lzrw1 : Error reading from input file : %s"},
                    DamagedCase{"block_length_above_32769", tooLongLength(), messages::blockTooLong},
                    DamagedCase{"copy_before_start", fastContainer(10, {{0x40, 0x40, 0x00, 'a', 0x00, 0x20}}),
                                messages::blockCopyBeforeStart},
                    DamagedCase{"output_beyond_32768", runsBeyondTheBlock(), messages::blockOutputOverflow},
                    DamagedCase{"item_past_the_block", fastContainer(10, {{0x40, 0x80, 0x00, 0x00, 0x00}}),
                                messages::blockItemTruncated},
                    DamagedCase{"fast_size_mismatch", fastContainer(5, {{0x80, 'a', 'b', 'c'}}),
                                "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !"},
                    DamagedCase{"good_truncated", truncatedGood(),
                                "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"},
                    DamagedCase{"good_cut_by_its_last_byte", goodCutBy(1),
                                "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"},
                    DamagedCase{"good_cut_by_two_bytes", goodCutBy(2),
                                "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"},
                    DamagedCase{"good_size_far_too_large", hugeGoodSize(),
                                "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"},
                    DamagedCase{"good_size_one_short", goodSizeShortBy(1),
                                "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"},
                    DamagedCase{"good_size_two_short", goodSizeShortBy(2),
                                "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"},
                    DamagedCase{"good_size_three_short", goodSizeShortBy(3),
                                "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"},
                    DamagedCase{"good_size_negative", concat(header(lzhMagic, 0xFFFFFFFF), {0xF6, 0xFB}),
                                "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !"}),
    [](const testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.name); });

// File mode

TEST_F(Lzrw1Files, FilesRoundTripInEitherModeAndReplaceAnOlderOutput) {
    const Bytes input = testdata::channelText(120000);
    writeBytes(path("in"), input);
    for (const TCompressMode mode : {TCompressMode::Good, TCompressMode::Fast}) {
        writeBytes(path("packed"), bytesOf("an older, much longer file that must be replaced entirely........"));
        Tlzrw1 component;
        useFiles(component, "in", "packed");
        component.SetCompressMode(mode);
        const std::int32_t written = component.Compress();
        EXPECT_EQ(static_cast<std::uintmax_t>(written), fs::file_size(path("packed")));
        EXPECT_EQ(readBytes(path("packed")), compressBytes(input, mode));
        useFiles(component, "packed", "restored");
        EXPECT_EQ(component.Decompress(), static_cast<std::int32_t>(input.size()));
        EXPECT_EQ(readBytes(path("restored")), input);
    }
}

TEST_F(Lzrw1Files, FailuresBeforeTheOutputExistsLeaveNone) {
    Tlzrw1 component;
    useFiles(component, "missing", "out");
    EXPECT_EQ(failureOf([&] { component.Compress(); }),
              "Lzrw1 compression : Failed to obtain the size of : " + path("missing"));
    EXPECT_EQ(failureOf([&] { component.Decompress(); }),
              "Lzrw1 (de)compression : Failed to open input file : " + path("missing"));
    EXPECT_FALSE(fs::exists(path("out")));

    writeBytes(path("in"), bytesOf("some text"));
    useFiles(component, "in", "no/such/folder/out");
    EXPECT_EQ(failureOf([&] { component.Compress(); }),
              "Lzrw1 (de)compression : Failed to open output file : " + path("no/such/folder/out"));
}

TEST_F(Lzrw1Files, AFileIsNeverCompressedOntoItself) {
    const Bytes input = testdata::channelText(5000);
    writeBytes(path("in"), input);
    Tlzrw1 component;
    useFiles(component, "in", "in");
    EXPECT_EQ(failureOf([&] { component.Compress(); }),
              "Lzrw1 (de)compression : Failed to open output file : " + path("in") + " (it is the input file)");
    EXPECT_EQ(readBytes(path("in")), input);
}

// The output reaches the disk at the latest when it is closed; a disk that is full then must
// not pass for success. /dev/full plays the full disk, reached through a link of our own so
// that a wrong delete could only ever remove the link.
TEST_F(Lzrw1Files, AFailedCloseOfTheOutputIsAWriteFailure) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    writeBytes(path("in"), testdata::channelText(1000));
    fs::create_symlink("/dev/full", path("full"));
    Tlzrw1 component;
    useFiles(component, "in", "full");
    EXPECT_EQ(failureOf([&] { component.Compress(); }), "Lzrw1 : Error writing to output file : " + path("full"));
    EXPECT_TRUE(fs::is_symlink(path("full")));  // only a file of our own is ever deleted
}

// Advise and Auto

TEST_F(Lzrw1Files, AdviseCallsInputsBelowThreePiecesSmall) {
    writeBytes(path("in"), Bytes(98303, 0));
    Tlzrw1 component;
    useFiles(component);
    component.SetCompressMode(TCompressMode::Auto);
    std::vector<std::string> texts;
    component.OnStatusText = [&](const std::string& text) { texts.push_back(text); };
    EXPECT_EQ(component.Advise(), TCompressMode::Good);
    EXPECT_EQ(component.CompressMode(), TCompressMode::Good);
    EXPECT_EQ(texts, (std::vector<std::string>{"Guessing the best compression mode for : " + path("in"),
                                               "Lzrw1 recommends GOOD compression :  small file !!"}));
}

TEST(Lzrw1Advise, SamplesAThirdAndTwoThirdsInAndRestoresThePosition) {
    SpyStream in(Bytes(98304, 0));
    in.inner.Seek(1234, TSeekOrigin::soBeginning);
    Tlzrw1 component;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetCompressMode(TCompressMode::Auto);
    std::vector<std::string> texts;
    component.OnStatusText = [&](const std::string& text) { texts.push_back(text); };
    EXPECT_EQ(component.Advise(), TCompressMode::Fast);
    EXPECT_EQ(texts, (std::vector<std::string>{"Guessing the best compression mode for the inputstream",
                                               "Lzrw1 recommends FAST compression : 0%."}));
    EXPECT_EQ(component.CompressMode(), TCompressMode::Auto);
    EXPECT_EQ(in.seeks, (std::vector<std::int64_t>{0, 32768, 65536, 1234}));
    EXPECT_EQ(in.Position(), 1234);
}

struct AdviceCase {
    const char* name;
    Bytes input;
    std::int32_t threshold;
    TCompressMode advice;
    const char* text;
};

class Lzrw1Advice : public testing::TestWithParam<AdviceCase> {};

TEST_P(Lzrw1Advice, FollowsTheThreshold) {
    const AdviceCase& c = GetParam();
    TMemoryStream in(c.input);
    Tlzrw1 component;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetThreshold(c.threshold);
    EXPECT_EQ(component.Advise(), c.advice);
    EXPECT_EQ(component.StatusText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(Thresholds, Lzrw1Advice,
                         testing::Values(AdviceCase{"runs_fast", Bytes(200000, 1), 40, TCompressMode::Fast,
                                                    "Lzrw1 recommends FAST compression : 0%."},
                                         AdviceCase{"threshold_zero_never_fast", Bytes(200000, 1), 0,
                                                    TCompressMode::Good, "Lzrw1 recommends GOOD compression : 0%."},
                                         AdviceCase{"random_good", testdata::randomBytes(200000, 5), 40,
                                                    TCompressMode::Good, "Lzrw1 recommends GOOD compression : 100%."},
                                         AdviceCase{"random_fast_above_its_ratio", testdata::randomBytes(200000, 5),
                                                    101, TCompressMode::Fast,
                                                    "Lzrw1 recommends FAST compression : 100%."}),
                         [](const testing::TestParamInfo<AdviceCase>& info) { return std::string(info.param.name); });

TEST(Lzrw1Advise, StreamFailuresHaveTheirMessages) {
    SpyStream in(Bytes(200000, 0));
    Tlzrw1 component;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    in.failSize = true;
    EXPECT_EQ(failureOf([&] { component.Advise(); }), "Lzrw1 advise : can not get size of inputstream !");
    in.failSize = false;
    in.failSeek = true;
    EXPECT_EQ(failureOf([&] { component.Advise(); }), "Lzrw1 edvise : can not initialize the input stream!");
    in.failSeek = false;
    in.failRead = true;
    EXPECT_EQ(failureOf([&] { component.Advise(); }), "Lzrw1 advise : input stream read error !");
}

TEST_F(Lzrw1Files, AdviseNamesAFileItCannotMeasure) {
    Tlzrw1 component;
    useFiles(component, "missing");
    EXPECT_EQ(failureOf([&] { component.Advise(); }), "Lzrw1 advise : can not get the size of : " + path("missing"));
}

TEST(Lzrw1Auto, SmallInputGetsAnLzhContainerAndGoodMode) {
    Tlzrw1 component;
    TMemoryStream in(bytesOf("abc"));
    TMemoryStream out;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    component.SetCompressMode(TCompressMode::Auto);
    component.Compress();
    EXPECT_EQ(out.Bytes(), compressBytes(bytesOf("abc"), TCompressMode::Good));
    EXPECT_EQ(component.CompressMode(), TCompressMode::Good);
}

TEST(Lzrw1Auto, CompressibleLargeInputGetsAFastContainerAndKeepsAuto) {
    const Bytes input(300000, 'x');
    Tlzrw1 component;
    TMemoryStream in(input);
    TMemoryStream out;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    component.SetCompressMode(TCompressMode::Auto);
    component.Compress();
    EXPECT_EQ(out.Bytes(), compressBytes(input, TCompressMode::Fast));
    EXPECT_EQ(component.CompressMode(), TCompressMode::Auto);
}

// Status texts and hooks

struct Recorder {
    void attach(Tlzrw1& component) {
        component.OnStatusText = [this](const std::string& text) { texts.push_back(text); };
        component.OnRepaint = [this] { ++repaints; };
        component.OnProcessMessages = [this] { ++pumps; };
    }
    std::vector<std::string> texts;
    int repaints = 0;
    int pumps = 0;
};

TEST_F(Lzrw1Files, AVisibleComponentShowsProgressAndTheRatio) {
    const Bytes input(70000, 'a');
    writeBytes(path("in"), input);
    Tlzrw1 component;
    Recorder recorder;
    recorder.attach(component);
    useFiles(component, "in", "packed");
    component.SetCompressMode(TCompressMode::Fast);
    const std::int32_t written = component.Compress();
    ASSERT_EQ(recorder.texts.size(), 4u);  // three pieces, then the result
    // The first piece: 8 runs of 4095, a literal and a copy of 7 make a block of 38 bytes.
    EXPECT_EQ(recorder.texts[0], "(LZRW1/KH) Bytes in : 32768 Bytes out : " + std::to_string(8 + 2 + 38));
    EXPECT_EQ(recorder.texts[3],
              path("in") + " : Lzrw1 : successfully compressed at " + std::to_string(written * 100 / 70000) + "%");
    EXPECT_EQ(recorder.repaints, 4);
    EXPECT_GT(recorder.pumps, 3);

    recorder.texts.clear();
    useFiles(component, "packed", "restored");
    component.Decompress();
    EXPECT_EQ(recorder.texts.back(), path("packed") + " : Lzrw1 : successfully decompressed at " +
                                         std::to_string(70000 * 100 / written) + "%");
}

TEST(Lzrw1Status, StreamModeTextsAndLzhProgress) {
    const Bytes input = testdata::channelText(100000);
    TMemoryStream in(input);
    TMemoryStream out;
    Tlzrw1 component;
    Recorder recorder;
    recorder.attach(component);
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    const std::int32_t written = component.Compress();
    ASSERT_GE(recorder.texts.size(), 2u);
    EXPECT_EQ(recorder.texts.front(), "(LZH) Bytes in : 32768 Bytes out : 8");
    EXPECT_EQ(recorder.texts.back(),
              "Lzrw1 : inputstream successfully compressed at " + std::to_string(written * 100 / 100000) + "%");

    TMemoryStream container(out.Bytes());
    TMemoryStream restored;
    component.SetInputStream(&container);
    component.SetOutputStream(&restored);
    component.Decompress();
    EXPECT_EQ(recorder.texts.back(),
              "LZrw1 : inputstream successfully decompressed at " + std::to_string(100000 * 100 / written) + "%");
}

TEST(Lzrw1Status, EmptyInputShowsARatioOfZero) {
    TMemoryStream in;
    TMemoryStream out;
    Tlzrw1 component;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    component.SetCompressMode(TCompressMode::Fast);
    component.Compress();
    EXPECT_EQ(component.StatusText(), "Lzrw1 : inputstream successfully compressed at 0%");
}

TEST(Lzrw1Status, AnInvisibleComponentShowsNothingButStillPumps) {
    TMemoryStream in(testdata::channelText(70000));
    TMemoryStream out;
    Tlzrw1 component;
    Recorder recorder;
    recorder.attach(component);
    component.SetVisible(false);
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    component.Compress();
    EXPECT_TRUE(recorder.texts.empty());
    EXPECT_EQ(recorder.repaints, 0);
    EXPECT_GT(recorder.pumps, 0);
}

}  // namespace
}  // namespace bv3::compress
