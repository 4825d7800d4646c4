// The conversions on files: whole output or none, and messages that name the file.
#include "channeldb/conversion_error.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_to_qnf.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"
#include "channeldb_test_support.h"
#include "safe_write/safe_write.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace bv3::channeldb;
using namespace bv3::channeldb::testing;

namespace {

std::string failureOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const ConversionError& failure) {
        return failure.what();
    } catch (const bv3::safewrite::SafeWriteError& failure) {
        // Writing fails the way every writer of the system fails.
        return failure.what();
    }
    return "no failure";
}

const std::string samplePath = std::string(BV3_SOURCE_DIR) + "/samples/channels.qnf";

}  // namespace

TEST(ConversionFiles, TheSampleListSurvivesAReceiverOfModel4) {
    TemporaryFolder folder;
    auto db = std::make_unique<ChannelDatabase>();
    readQnfFile(samplePath, *db);
    EXPECT_GT(db->videoCount, 30);
    EXPECT_GT(db->audioCount, 10);
    const auto upload = composeUploadedImage(buildConfigImage(*db, 3, 4), buildServiceImage(*db, 4), 4);
    writeImageFile((folder / "upload.raw").string(), upload);
    rawToQnf((folder / "upload.raw").string(), (folder / "back.qnf").string(), 3, 4);
    EXPECT_EQ(readFile(folder / "back.qnf"), readFile(samplePath));
    EXPECT_EQ(folder.entries().size(), 2u);  // no temporary left beside the outputs
}

TEST(ConversionFiles, FailuresNameTheFileAndLeaveNothing) {
    TemporaryFolder folder;
    const std::string missing = (folder / "missing.raw").string();
    const std::string raw = (folder / "in.raw").string();
    const std::string kept = (folder / "kept.qnf").string();
    writeFile(raw, std::string(100, '\xFF'));
    writeFile(kept, "previous contents");

    EXPECT_EQ(failureOf([&] { rawToQnf(missing, kept, 0, 0); }),
              "cannot read '" + missing + "': No such file or directory");
    EXPECT_EQ(failureOf([&] { rawToQnf("", kept, 0, 0); }).find("cannot read"), 0u);
    const std::string intoNowhere = (folder / "no-such-folder" / "out.qnf").string();
    EXPECT_EQ(failureOf([&] { rawToQnf(raw, intoNowhere, 0, 0); }).find("cannot write '" + intoNowhere + "'"), 0u);
    EXPECT_NE(failureOf([&] { rawToQnf(raw, kept, 0, 6); }).find("model code 6"), std::string::npos);
    EXPECT_EQ(failureOf([&] { writeImageFile("", std::vector<std::uint8_t>(4)); }).find("cannot write"), 0u);
    EXPECT_EQ(failureOf([&] {
                  ChannelDatabase db;
                  readQnfFile(missing, db);
              }),
              "cannot read '" + missing + "': No such file or directory");
    EXPECT_EQ(readFile(kept), "previous contents");
    EXPECT_EQ(folder.entries().size(), 2u);

    // A short raw file is read as far as it goes; the output replaces the old file whole.
    rawToQnf(raw, kept, 0, 0);
    EXPECT_EQ(readFile(kept), formatQnf(ChannelDatabase()));
}

TEST(ConversionFiles, ACorruptHeaderNamesItsFile) {
    TemporaryFolder folder;
    const std::string path = (folder / "bad.qnf").string();
    writeFile(path, "[BREVORA V2 FILE]\r\n");
    ChannelDatabase db;
    try {
        readQnfFile(path, db);
        FAIL();
    } catch (const CorruptQnfHeader& corrupt) {
        EXPECT_STREQ(corrupt.what(), "Corrupt data table..");
        EXPECT_EQ(corrupt.fileName(), path);
    }
}
