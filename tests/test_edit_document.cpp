// The channel-list document: the ways in and out, the refusals of the readers, and the flag
// that says whether the list holds unsaved changes.

#include "channeldb/conversion_error.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"
#include "edit/channel_list.h"
#include "edit/edit_error.h"
#include "edit/list_file_kind.h"
#include "edit/service_operations.h"
#include "edit_test_support.h"
#include "safe_write/safe_write.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

namespace bv3::edit {
namespace {

using testing::EditFolder;
using testing::sampleList;

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string errorOf(const std::function<void()>& load) {
    try {
        load();
    } catch (const channeldb::ConversionError& refused) {
        return refused.what();
    }
    return "(loaded)";
}

TEST(EditDocument, LoadsEachKindOfFileAndSavesTheSameList) {
    EditFolder folder;
    const std::string sample = fileText(testing::samplePath());
    ChannelList list = sampleList();
    EXPECT_EQ(list.origin(), ListOrigin::QnfText);
    EXPECT_EQ(list.originPath(), testing::samplePath());
    EXPECT_EQ(list.qnfText(), sample);
    EXPECT_FALSE(list.isDirty());

    // The container, in both engines, and back.
    for (const auto mode : {compress::TCompressMode::Good, compress::TCompressMode::Fast}) {
        const std::string container = folder / "list.v3qnf";
        list.saveContainer(container, mode);
        EXPECT_EQ(list.origin(), ListOrigin::Container);
        const ChannelList restored = ChannelList::fromFile(container, 4);
        EXPECT_EQ(restored.origin(), ListOrigin::Container);
        EXPECT_EQ(restored.qnfText(), sample);
    }

    // An uploaded image of the same list reads back as the same list.
    const auto& db = list.database();
    const auto upload =
        channeldb::composeUploadedImage(channeldb::buildConfigImage(db, 3, 4), channeldb::buildServiceImage(db, 4), 4);
    writeText(folder / "upload.raw", std::string(upload.begin(), upload.end()));
    const ChannelList fromRaw = ChannelList::fromFile(folder / "upload.raw", 4, 3);
    EXPECT_EQ(fromRaw.origin(), ListOrigin::RawImage);
    EXPECT_EQ(fromRaw.configVariant(), 3);
    EXPECT_EQ(fromRaw.qnfText(), sample);
}

TEST(EditDocument, AFileIsToldByItsSizeAndContent) {
    EditFolder folder;
    const ChannelList sample = sampleList();
    const auto& db = sample.database();
    const auto upload =
        channeldb::composeUploadedImage(channeldb::buildConfigImage(db, 3, 4), channeldb::buildServiceImage(db, 4), 4);
    // An upload begins with bytes above 0x7F (ff fe a8 bd); they are no text.
    ASSERT_EQ(static_cast<unsigned char>(upload[0]), 0xFF);
    writeText(folder / "upload.raw", std::string(upload.begin(), upload.end()));
    writeText(folder / "short.raw", std::string(upload.begin(), upload.begin() + 1000));
    writeText(folder / "wrong header.qnf", "[SOMETHING]\r\n");
    writeText(folder / "empty.qnf", "");
    EXPECT_EQ(listFileKind(folder / "upload.raw"), ListFileKind::RawImage);
    EXPECT_EQ(listFileKind(folder / "short.raw"), ListFileKind::RawImage);
    EXPECT_EQ(listFileKind(folder / "wrong header.qnf"), ListFileKind::QnfText);
    EXPECT_EQ(listFileKind(folder / "empty.qnf"), ListFileKind::QnfText);
    EXPECT_EQ(listFileKind(folder / "none.qnf"), ListFileKind::QnfText);
    EXPECT_EQ(listFileKind(testing::samplePath()), ListFileKind::QnfText);

    EXPECT_EQ(errorOf([&] { ChannelList::fromFile(folder / "short.raw", 4, 3); }),
              "\"" + folder / "short.raw" +
                  "\" holds 1000 bytes, but an upload from the receiver holds 401408: the image is cut short and "
                  "is not opened");
    EXPECT_NE(errorOf([&] { ChannelList::fromFile(folder / "upload.raw", 4); }).find("is a receiver image"),
              std::string::npos);
    EXPECT_EQ(ChannelList::fromFile(folder / "upload.raw", 4, 3).database().serviceCount(), 60u);
}

TEST(EditDocument, SavingMakesTheListCleanAndUndoPastTheSaveMakesItDirty) {
    EditFolder folder;
    ChannelList list = sampleList();
    renameService(list, 0, "Lumen Eins");
    EXPECT_TRUE(list.isDirty());
    list.saveQnf(folder / "edited.qnf");
    EXPECT_FALSE(list.isDirty());
    EXPECT_EQ(list.originPath(), folder / "edited.qnf");
    EXPECT_EQ(fileText(folder / "edited.qnf"), list.qnfText());
    list.undo();
    EXPECT_TRUE(list.isDirty());
    list.redo();
    EXPECT_FALSE(list.isDirty());
    EXPECT_EQ(folder.entryCount(), 1u);  // no temporary left beside it
}

TEST(EditDocument, AFailedSaveLeavesTheFileAndTheDirtyFlagAsTheyWere) {
    EditFolder folder;
    ChannelList list = sampleList();
    renameService(list, 0, "Lumen Eins");
    EXPECT_THROW(list.saveQnf(folder / "missing/edited.qnf"), safewrite::SafeWriteError);
    EXPECT_TRUE(list.isDirty());
    EXPECT_EQ(list.originPath(), testing::samplePath());
}

TEST(EditDocument, RefusesWhatTheReadersRefuseWithTheirMessages) {
    EditFolder folder;
    writeText(folder / "plain.txt", "BREVORA\r\n");
    writeText(folder / "bad.qnf", "[BREVORA V3 FILE]\r\n[TS]\r\nabc\r\n");
    writeText(folder / "huge.v3qnf", std::string("!HZL\xff\xff\xff\x7f", 8));
    writeText(folder / "broken.v3qnf", std::string("WRZL\x10\x00\x00\x00\x05", 9));
    EXPECT_EQ(errorOf([&] { ChannelList::fromQnfFile(folder / "plain.txt", 4); }),
              folder / "plain.txt" + ": Corrupt data table.. (the first line is not \"[BREVORA V3 FILE]\")");
    EXPECT_NE(errorOf([&] { ChannelList::fromQnfFile(folder / "bad.qnf", 4); }).find("line 3"), std::string::npos);
    EXPECT_NE(errorOf([&] { ChannelList::fromFile(folder / "huge.v3qnf", 4); }).find("more than any channel list"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { ChannelList::fromFile(folder / "broken.v3qnf", 4); }).find("broken.v3qnf"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { ChannelList::fromFile(folder / "none.qnf", 4); }).find("cannot read"), std::string::npos);
    EXPECT_NE(errorOf([&] { ChannelList::fromQnfFile(testing::samplePath(), 6); }).find("model code 6"),
              std::string::npos);
}

TEST(EditDocument, AnInputIsOpenedOnceAndReadNoFurtherThanAnyListCanBe) {
    EditFolder folder;
    // A stream without an end is refused after a bounded read, not read until memory runs out.
    EXPECT_NE(errorOf([&] { ChannelList::fromFile("/dev/zero", 4); }).find("larger than any channel list"),
              std::string::npos);
    // An uploaded image needs only its first 466 KB; zeros fail its checks.
    EXPECT_NE(errorOf([&] { ChannelList::fromFile("/dev/zero", 4, 3); }).find("integrity check"), std::string::npos);
    // A FIFO gives its bytes to one reader: a second opening would wait for a writer forever.
    const std::string fifo = folder / "list.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string text = fileText(testing::samplePath());
    std::thread writer([&] { writeText(fifo, text); });
    const ChannelList list = ChannelList::fromFile(fifo, 4);
    writer.join();
    EXPECT_EQ(list.qnfText(), sampleList().qnfText());
}

TEST(EditDocument, AnImageReadAsAnotherModelIsRefusedNamingTheModelItPassesFor) {
    EditFolder folder;
    const ChannelList sample = sampleList();
    const auto& db = sample.database();
    const auto upload = channeldb::composeUploadedImage(channeldb::buildConfigImage(db, 3, 4),
                                                        channeldb::buildServiceImage(db, 4), 4);
    const std::string path = folder / "up4.raw";
    writeText(path, std::string(upload.begin(), upload.end()));
    const std::string refused = errorOf([&] { ChannelList::fromFile(path, 1, 3); });
    EXPECT_NE(refused.find(path + ": the image fails "), std::string::npos) << refused;
    EXPECT_NE(refused.find("integrity checks for model 1 (first: offset 0x"), std::string::npos) << refused;
    EXPECT_NE(refused.find("it passes them as an image of model 4: is it from that receiver?"), std::string::npos)
        << refused;
    // Asked and confirmed, the image is read as it was before.
    EXPECT_NO_THROW(ChannelList::fromRawImageFile(path, 3, 1, ImageCheck::Accept));
    EXPECT_EQ(ChannelList::fromFile(path, 4, 3).database().serviceCount(), db.serviceCount());
}

TEST(EditDocument, NumbersTheLoadedTextGaveButItsFieldsCannotHoldAreErrorsUntilSaved) {
    EditFolder folder;
    std::string text = fileText(testing::samplePath());
    const std::size_t service = text.find("\r\nV\t") + 4;
    const std::size_t word = text.find('\t', service);
    text.replace(service, word - service, "70000");
    const std::size_t line = static_cast<std::size_t>(std::count(text.begin(), text.begin() + service, '\n')) + 1;
    ChannelList list = ChannelList::fromQnfText(text, 4, "wide.qnf");
    ASSERT_TRUE(list.hasErrors());
    EXPECT_EQ(list.findings().front().finding.where, "wide.qnf: line " + std::to_string(line) + ", column 2");
    EXPECT_EQ(list.findings().front().finding.message,
              "70000 does not fit this field (0 to 65535); the receiver would get 4464");
    list.saveQnf(folder / "saved.qnf");
    EXPECT_FALSE(list.hasErrors());
}

TEST(EditDocument, TheModelDecidesTheFindingsButIsNoEdit) {
    ChannelList list = sampleList(4);
    EXPECT_TRUE(list.findings().empty());
    list.setModelCode(0);  // models 0, 2, 3, 5 have only favourite list 0
    EXPECT_EQ(list.findings().size(), 2u);
    EXPECT_FALSE(list.canUndo());
    EXPECT_FALSE(list.isDirty());
    EXPECT_THROW(list.setModelCode(6), EditError);
}

}  // namespace
}  // namespace bv3::edit
