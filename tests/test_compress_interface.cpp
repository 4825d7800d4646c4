// QnfToV3Qnf and V3QnfToQnf: the converter's compressor through the exports.
#include "BV3Dll.h"
#include "compress/lzrw1.h"
#include "compress_test_data.h"
#include "test_files.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using bv3::testfiles::readBytes;
using bv3::testfiles::writeBytes;

class CompressionExports : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("bv3_compress_exports_" + std::to_string(::getpid()) + "_" +
               std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }

    fs::path dir;
};

TEST_F(CompressionExports, RoundTripAChannelListThroughAnLzhContainer) {
    const Bytes qnf = bv3::compress::testdata::channelText(150000);
    writeBytes(path("channels.qnf"), qnf);
    bv3::ui::ScopedMessageBoxRecorder boxes;
    QnfToV3Qnf(path("channels.qnf").c_str(), path("channels.v3").c_str());
    const Bytes container = readBytes(path("channels.v3"));
    ASSERT_GE(container.size(), 8u);
    EXPECT_EQ(std::string(container.begin(), container.begin() + 4), "!HZL");
    EXPECT_LT(container.size(), qnf.size() / 2);
    V3QnfToQnf(path("channels.v3").c_str(), path("restored.qnf").c_str());
    EXPECT_EQ(readBytes(path("restored.qnf")), qnf);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(CompressionExports, AFastContainerIsRestoredToo) {
    const Bytes qnf = bv3::compress::testdata::channelText(70000);
    bv3::compress::Tlzrw1 component;
    bv3::compress::TMemoryStream in(qnf);
    bv3::compress::TMemoryStream out;
    component.SetUseStream(true);
    component.SetInputStream(&in);
    component.SetOutputStream(&out);
    component.SetCompressMode(bv3::compress::TCompressMode::Fast);
    component.Compress();
    writeBytes(path("fast.v3"), out.Bytes());
    bv3::ui::ScopedMessageBoxRecorder boxes;
    V3QnfToQnf(path("fast.v3").c_str(), path("restored.qnf").c_str());
    EXPECT_EQ(readBytes(path("restored.qnf")), qnf);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(CompressionExports, ABadContainerShowsTheMessageAndLeavesNoOutput) {
    writeBytes(path("bad.v3"), bv3::compress::testdata::bytesOf("[BREVORA V3 FILE]\r\n"));
    bv3::ui::ScopedMessageBoxRecorder boxes;
    V3QnfToQnf(path("bad.v3").c_str(), path("out.qnf").c_str());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Error");
    EXPECT_EQ(boxes.shown()[0].text, path("bad.v3") + " : Lzrw1 decompression : this file has no valid header !");
    EXPECT_FALSE(fs::exists(path("out.qnf")));
}

TEST_F(CompressionExports, AMissingInputShowsTheMessageAndLeavesNoOutput) {
    bv3::ui::ScopedMessageBoxRecorder boxes;
    QnfToV3Qnf(path("missing.qnf").c_str(), path("out.v3").c_str());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Lzrw1 compression : Failed to obtain the size of : " + path("missing.qnf"));
    EXPECT_FALSE(fs::exists(path("out.v3")));
}

// The bv3 commands run the same component as the exports: the same bytes come out.
int runBv3(const std::string& arguments) {
    const std::string command = std::string(BV3_BINARY_DIR) + "/bin/bv3 " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(CompressionExports, TheBv3CommandsWriteTheSameBytesAsTheExports) {
    const Bytes qnf = bv3::compress::testdata::channelText(90000);
    writeBytes(path("channels.qnf"), qnf);
    bv3::ui::ScopedMessageBoxRecorder boxes;
    QnfToV3Qnf(path("channels.qnf").c_str(), path("export.v3").c_str());
    ASSERT_EQ(runBv3("compress " + path("channels.qnf") + " " + path("tool.v3")), 0);
    EXPECT_EQ(readBytes(path("tool.v3")), readBytes(path("export.v3")));
    ASSERT_EQ(runBv3("decompress " + path("tool.v3") + " " + path("tool.qnf")), 0);
    EXPECT_EQ(readBytes(path("tool.qnf")), qnf);

    ASSERT_EQ(runBv3("compress --mode fast " + path("channels.qnf") + " " + path("fast.v3")), 0);
    V3QnfToQnf(path("fast.v3").c_str(), path("export.qnf").c_str());
    EXPECT_EQ(readBytes(path("export.qnf")), qnf);
    EXPECT_TRUE(boxes.shown().empty());
}

// stderr here is a file: running updates only when asked for (--progress), and only for
// large inputs unless asked for; the closing line on stdout either way.
TEST_F(CompressionExports, Bv3ShowsProgressForLargeFilesOnlyAndOnlyWhenAsked) {
    writeBytes(path("large"), bv3::compress::testdata::channelText(1100000));
    writeBytes(path("small"), bv3::compress::testdata::channelText(1000));
    const std::string tool = std::string(BV3_BINARY_DIR) + "/bin/bv3 ";
    ASSERT_EQ(std::system((tool + "compress " + path("large") + " " + path("large.v3") + " >" + path("large.out") +
                           " 2>" + path("large.err"))
                              .c_str()),
              0);
    ASSERT_EQ(std::system((tool + "compress --progress " + path("large") + " " + path("forced.v3") + " >" +
                           path("forced.out") + " 2>" + path("forced.err"))
                              .c_str()),
              0);
    ASSERT_EQ(std::system((tool + "compress --mode fast " + path("small") + " " + path("small.v3") + " >" +
                           path("small.out") + " 2>" + path("small.err"))
                              .c_str()),
              0);
    EXPECT_TRUE(readBytes(path("large.err")).empty());
    EXPECT_FALSE(readBytes(path("large.out")).empty());
    const Bytes progress = readBytes(path("forced.err"));
    EXPECT_NE(std::string(progress.begin(), progress.end()).find("\r(LZH) Bytes in : 32768 Bytes out : 8"),
              std::string::npos);
    EXPECT_TRUE(readBytes(path("small.err")).empty());
    const Bytes result = readBytes(path("small.out"));
    EXPECT_EQ(std::string(result.begin(), result.end()),
              path("small") + " : Lzrw1 : successfully compressed at " +
                  std::to_string(fs::file_size(path("small.v3")) * 100 / 1000) + "%\n");
}

TEST_F(CompressionExports, TheBv3CommandsFailWithStatusOneOrTwo) {
    writeBytes(path("bad.v3"), bv3::compress::testdata::bytesOf("not a container"));
    EXPECT_EQ(runBv3("decompress " + path("bad.v3") + " " + path("out")), 1);
    EXPECT_FALSE(fs::exists(path("out")));
    EXPECT_EQ(runBv3("compress " + path("missing") + " " + path("out")), 1);
    EXPECT_EQ(runBv3("advise " + path("missing")), 1);
    EXPECT_EQ(runBv3("compress --mode quick " + path("bad.v3") + " " + path("out")), 2);
    EXPECT_EQ(runBv3("advise " + path("bad.v3")), 0);
}

}  // namespace
