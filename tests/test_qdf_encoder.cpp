// The stand-in encoder: encodeQdfFile behind EncodeQDF, and the built libtqrdll12.so itself.
#include "loader_config.h"
#include "platform/dynamic_library.h"
#include "qdf_encoder.h"
#include "qdf_reader.h"
#include "qdf_test_support.h"
#include "qdfbuild/loader_config_writer.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <cstring>
#include <functional>

namespace {

namespace fs = std::filesystem;
using bv3::test::readBytes;
using bv3::test::writeBytes;
using bv3::test::writeText;

std::vector<std::uint8_t> sampleImage(std::size_t size, std::uint8_t fill) {
    std::vector<std::uint8_t> bytes(size, fill);
    for (std::size_t i = 0; i < size; i += 97) {
        bytes[i] = static_cast<std::uint8_t>(i / 97);
    }
    return bytes;
}

class QdfEncoderTest : public testing::Test {
protected:
    void SetUp() override {
        writeBytes("Config.raw", config_);
        writeBytes("Service.raw", service_);
        writeText("qorda.cfg", bv3::qdfbuild::formatLoaderConfig(0x12345678u, 1, "Config.raw", "Service.raw"));
    }

    void expectTheBuildersImage(const std::string& path) const {
        const auto report = bv3::qdf::decodeQdfImage(readBytes(path));
        EXPECT_EQ(report.header.firstId, 0x12345000u);
        EXPECT_EQ(report.header.lastId, 0x12345FFFu);
        EXPECT_EQ(report.header.loaderVersion, 3u);
        ASSERT_EQ(report.blocks.size(), 3u);
        EXPECT_EQ(report.blocks[0].address, 0u);
        EXPECT_EQ(report.blocks[0].data, config_);
        EXPECT_EQ(report.blocks[1].address, 0x2000u);
        EXPECT_EQ(report.blocks[1].data, config_);
        EXPECT_EQ(report.blocks[2].address, 0xA0000u);
        EXPECT_EQ(report.blocks[2].data, service_);
        for (const auto& block : report.blocks) {
            EXPECT_EQ(block.encoding, bv3::qdf::BlockEncoding::lzh);
        }
    }

    bv3::test::ScratchDirectory scratch_;
    std::vector<std::uint8_t> config_ = sampleImage(8192, 0x00);
    std::vector<std::uint8_t> service_ = sampleImage(0x9000, 0xFF);
};

TEST_F(QdfEncoderTest, EncodesTheBuildersConfiguration) {
    bv3::qdf::encodeQdfFile("qorda.cfg", "out.qdf");
    expectTheBuildersImage("out.qdf");
    EXPECT_FALSE(fs::exists("out.qdf.part"));
}

struct EncoderFailureCase {
    const char* name;
    std::function<void()> prepare;
    const char* message;
};

void PrintTo(const EncoderFailureCase& c, std::ostream* os) {
    *os << c.name;
}

class QdfEncoderFailure : public QdfEncoderTest, public testing::WithParamInterface<EncoderFailureCase> {};

// A failure names the file and leaves an older image of the output's name as it was.
TEST_P(QdfEncoderFailure, LeavesTheOutputAlone) {
    writeText("out.qdf", "older image");
    GetParam().prepare();
    try {
        bv3::qdf::encodeQdfFile("qorda.cfg", "out.qdf");
        FAIL() << "encoded";
    } catch (const std::exception& failure) {
        EXPECT_NE(std::string(failure.what()).find(GetParam().message), std::string::npos) << failure.what();
    }
    EXPECT_EQ(bv3::test::readText("out.qdf"), "older image");
    EXPECT_FALSE(fs::exists("out.qdf.part"));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, QdfEncoderFailure,
    testing::Values(EncoderFailureCase{"NoConfiguration", [] { fs::remove("qorda.cfg"); },
                                       "cannot open the loader configuration \"qorda.cfg\""},
                    EncoderFailureCase{"NamedFileMissing", [] { fs::remove("Service.raw"); },
                                       "cannot open the image file \"Service.raw\""},
                    EncoderFailureCase{"BadConfiguration", [] { writeText("qorda.cfg", "[header\n"); },
                                       "qorda.cfg, line 1"}),
    [](const testing::TestParamInfo<EncoderFailureCase>& info) { return std::string(info.param.name); });

TEST_F(QdfEncoderTest, AnOutputInAMissingDirectoryIsNamed) {
    try {
        bv3::qdf::encodeQdfFile("qorda.cfg", "no/such/dir/out.qdf");
        FAIL() << "encoded";
    } catch (const bv3::qdf::EncoderError& failure) {
        EXPECT_NE(std::string(failure.what()).find("\"no/such/dir/out.qdf\""), std::string::npos) << failure.what();
    }
}

// The shared library as the driver loads it: only its entry, by name, from build/lib.
TEST_F(QdfEncoderTest, TheBuiltLibraryEncodesThroughItsEntry) {
    bv3::platform::DynamicLibrary library(std::string(BV3_BINARY_DIR) + "/lib/libtqrdll12.so");
    void* address = library.symbol("EncodeQDF");
    ASSERT_NE(address, nullptr);
    int (*entry)(const char*, const char*) = nullptr;
    std::memcpy(&entry, &address, sizeof entry);

    EXPECT_EQ(entry("qorda.cfg", "out.qdf"), 0);
    expectTheBuildersImage("out.qdf");
    EXPECT_EQ(entry("absent.cfg", "other.qdf"), 1);
    EXPECT_FALSE(fs::exists("other.qdf"));
    EXPECT_EQ(entry(nullptr, "other.qdf"), 1);
    // Nothing of the format or the engine leaks out of the library.
    EXPECT_EQ(library.symbol("_ZN3bv33qdf13encodeQdfFileERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEES8_"),
              nullptr);
}

}  // namespace

namespace {

// libBV3Dll.so as a host loads it: its QnfToQDF finds the stand-in encoder beside it through
// its own RUNPATH ($ORIGIN), without any help from this test program's search path.
TEST(QnfToQdfExport, TheLibraryFindsTheEncoderInstalledBesideIt) {
    bv3::test::ScratchDirectory scratch;
    // Opened the way a host opens it, and never unloaded (as a host keeps it until it exits):
    // unloading would orphan what the toolkit keeps in the library's globals, which the leak
    // checker of the sanitized run would then report.
    void* library = dlopen((std::string(BV3_BINARY_DIR) + "/lib/libBV3Dll.so").c_str(), RTLD_NOW | RTLD_NODELETE);
    ASSERT_NE(library, nullptr) << dlerror();
    void* address = dlsym(library, "QnfToQDF");
    ASSERT_NE(address, nullptr);
    void (*qnfToQdf)(const char*, const char*, std::uint8_t, std::uint8_t, std::uint32_t) = nullptr;
    std::memcpy(&qnfToQdf, &address, sizeof qnfToQdf);

    const std::string list = std::string(BV3_SOURCE_DIR) + "/samples/channels.qnf";
    qnfToQdf(list.c_str(), "channels.qdf", 0, 2, 0x00ABC123u);

    const auto report = bv3::qdf::decodeQdfImage(readBytes("channels.qdf"));
    EXPECT_EQ(report.header.firstId, 0x00ABC000u);
    ASSERT_EQ(report.blocks.size(), 3u);
    EXPECT_EQ(report.blocks[2].address, 0xB0000u);
    EXPECT_EQ(report.blocks[0].data.size(), 8192u);
    EXPECT_EQ(report.blocks[0].data, report.blocks[1].data);
    for (const char* name : {"qorda.cfg", "Config.raw", "Service.raw"}) {
        EXPECT_FALSE(fs::exists(name)) << name;
    }
}

}  // namespace
