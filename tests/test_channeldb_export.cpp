// RawToQnf through the exported entry point: the file it writes, and the error box that
// names the file when it cannot.
#include "BV3Dll.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"
#include "channeldb_test_support.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

using namespace bv3::channeldb;
using namespace bv3::channeldb::testing;

TEST(RawToQnfExport, WritesTheChannelList) {
    TemporaryFolder folder;
    ChannelDatabase db;
    db.videoCount = 1;
    db.services[0].svcName = "Export One";
    db.services[0].channelNumber = 1;
    db.providerCount = 1;
    db.providers[0].provName = "Prov";
    db.antennas[0].antLong = 0xFFFFFFFF;
    const auto upload = composeUploadedImage(buildConfigImage(db, 3, 5), buildServiceImage(db, 5), 5);
    const std::string raw = (folder / "upload.raw").string();
    const std::string qnf = (folder / "list.qnf").string();
    writeImageFile(raw, upload);

    bv3::ui::ScopedMessageBoxRecorder boxes;
    RawToQnf(raw.c_str(), qnf.c_str(), 3, 5);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(readFile(qnf), formatQnf(db));
}

TEST(RawToQnfExport, AMissingInputGivesAnErrorBoxNamingTheFile) {
    TemporaryFolder folder;
    const std::string raw = (folder / "absent.raw").string();
    const std::string qnf = (folder / "list.qnf").string();
    bv3::ui::ScopedMessageBoxRecorder boxes;
    RawToQnf(raw.c_str(), qnf.c_str(), 0, 0);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Error");
    EXPECT_NE(boxes.shown()[0].text.find(raw), std::string::npos) << boxes.shown()[0].text;
    EXPECT_TRUE(folder.entries().empty());

    RawToQnf(nullptr, qnf.c_str(), 0, 0);
    EXPECT_EQ(boxes.shown().size(), 2u);
    EXPECT_TRUE(folder.entries().empty());
}
