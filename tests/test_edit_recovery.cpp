// Recovery copies: the file and its refusals, the list restored from one, and the writer that
// keeps one on the disk off the caller's thread.

#include "edit/recovery_copy.h"
#include "edit/recovery_writer.h"
#include "edit/service_operations.h"
#include "edit_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace bv3::edit {
namespace {

using namespace std::chrono_literals;
using testing::EditFolder;
using testing::sampleList;

RecoveryCopy sampleCopy() {
    RecoveryCopy copy;
    copy.source = RecoverySource::QnfFile;
    copy.sourceName = "/home/me/odd\\name\nwith line.qnf";
    copy.modelCode = 4;
    copy.configVariant = 3;
    copy.undoPosition = 7;
    copy.writtenAt = 1765436400;
    copy.qnfText = sampleList().qnfText();
    return copy;
}

TEST(EditRecovery, ACopyReadsBackAsItWasWritten) {
    for (const auto variant : {std::optional<std::uint8_t>(3), std::optional<std::uint8_t>()}) {
        RecoveryCopy copy = sampleCopy();
        copy.configVariant = variant;
        const RecoveryCopy back = parseRecoveryCopy(formatRecoveryCopy(copy));
        EXPECT_EQ(back.source, copy.source);
        EXPECT_EQ(back.sourceName, copy.sourceName);
        EXPECT_EQ(back.modelCode, 4);
        EXPECT_EQ(back.configVariant, variant);
        EXPECT_EQ(back.undoPosition, 7u);
        EXPECT_EQ(back.writtenAt, 1765436400);
        EXPECT_EQ(back.qnfText, copy.qnfText);
    }
}

// Whatever lies in the folder, a copy that is not whole is refused with its reason, never
// restored as a shorter list.
TEST(EditRecovery, ADamagedCopyIsRefusedWithItsReason) {
    const std::string whole = formatRecoveryCopy(sampleCopy());
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = whole;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const struct {
        const char* what;
        std::string file;
        const char* reason;
    } cases[] = {
        {"cut in the text", whole.substr(0, whole.size() - 10), "the header says"},
        {"longer than its header", whole + "extra", "the header says"},
        {"cut in the header", whole.substr(0, 40), "cut short"},
        {"another file", "[BREVORA V3 FILE]\r\n", "not a recovery copy"},
        {"empty", "", "cut short"},
        {"model out of range", replaced("model 4", "model 9"), "\"model\" is not a number from 0 to 5"},
        {"unknown source", replaced("source qnf-file", "source floppy"), "\"floppy\" is unknown"},
        {"key missing", replaced("undo 7\n", ""), "no \"undo\" line"},
        {"bad escape", replaced("odd\\\\name", "odd\\xname"), "unknown escape"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            parseRecoveryCopy(c.file);
            ADD_FAILURE() << "read";
        } catch (const RecoveryCopyError& refused) {
            EXPECT_NE(std::string(refused.what()).find(c.reason), std::string::npos) << refused.what();
        }
    }
}

// The restored list is the one of the copy, unsaved even once every step is undone, and it goes
// back to the file it came from; a received list has no file.
TEST(EditRecovery, ARestoredListIsUnsavedAndKnowsWhereItCameFrom) {
    ChannelList edited = sampleList();
    renameService(edited, 1, "Lumen Zwei");
    RecoveryCopy copy = sampleCopy();
    copy.sourceName = testing::samplePath();
    copy.qnfText = edited.qnfText();

    ChannelList restored = restoreList(copy);
    EXPECT_EQ(restored.qnfText(), edited.qnfText());
    EXPECT_TRUE(restored.isDirty());
    EXPECT_EQ(restored.origin(), ListOrigin::QnfText);
    EXPECT_EQ(restored.originPath(), testing::samplePath());
    renameService(restored, 2, "Other");
    ASSERT_TRUE(restored.undo());
    EXPECT_TRUE(restored.isDirty()) << "undone to the copy's state, which no file holds";

    copy.source = RecoverySource::Receiver;
    copy.sourceName = "/dev/ttyUSB0";
    const ChannelList received = restoreList(copy);
    EXPECT_EQ(received.origin(), ListOrigin::RawImage);
    EXPECT_EQ(received.originPath(), "");
    EXPECT_EQ(received.configVariant(), std::optional<std::uint8_t>(3));
    EXPECT_TRUE(received.isDirty());
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records what the writer would put on the disk.
struct WriteLog {
    std::mutex mutex;
    std::vector<std::string> writes;
    bool refuse = false;

    RecoveryCopyWriter::WriteFile function() {
        return [this](const std::string&, std::string_view bytes) {
            std::lock_guard lock(mutex);
            if (refuse) {
                throw std::runtime_error("cannot write: No space left on device");
            }
            writes.emplace_back(bytes);
        };
    }
    std::size_t count() {
        std::lock_guard lock(mutex);
        return writes.size();
    }
};

bool waitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// The first change is written at once; a burst after it waits for the interval, and only its
// newest state is written.
TEST(EditRecovery, TheWriterWritesTheNewestStateAtMostOncePerInterval) {
    WriteLog log;
    ChannelList list = sampleList();
    RecoveryCopyWriter writer("unused", 1h, log.function());
    renameService(list, 1, "First");
    writer.submit(snapshotOf(list, RecoverySource::QnfFile, testing::samplePath()));
    ASSERT_TRUE(waitFor([&] { return log.count() == 1; }));
    for (const char* name : {"Second", "Third", "Fourth"}) {
        renameService(list, 1, name);
        writer.submit(snapshotOf(list, RecoverySource::QnfFile, testing::samplePath()));
    }
    EXPECT_EQ(log.count(), 1u) << "within the interval nothing more is written";
    writer.flush();
    ASSERT_EQ(log.count(), 2u);
    const RecoveryCopy newest = parseRecoveryCopy(log.writes[1]);
    EXPECT_EQ(newest.qnfText, list.qnfText());
    EXPECT_EQ(newest.undoPosition, 4u);
    EXPECT_EQ(writer.writes(), 2u);
}

TEST(EditRecovery, TheCopyGoesThroughTheSafeWriteAndIsRemovedOnRequest) {
    EditFolder folder;
    const std::string path = folder / "state/recovery/editor.copy";
    ChannelList list = sampleList();
    renameService(list, 1, "Kept");
    {
        RecoveryCopyWriter writer(path, 1h);
        writer.submit(snapshotOf(list, RecoverySource::QnfFile, testing::samplePath()));
        writer.flush();
        EXPECT_EQ(parseRecoveryCopy(fileText(path)).qnfText, list.qnfText()) << "the folder is made";
    }
    EXPECT_TRUE(std::filesystem::exists(path)) << "ending without remove() is a crash's case: the copy stays";
    RecoveryCopyWriter writer(path, 1h);
    writer.remove();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(EditRecovery, AFailedWriteIsToldOnceAndClearedByTheNextGoodOne) {
    WriteLog log;
    log.refuse = true;
    ChannelList list = sampleList();
    RecoveryCopyWriter writer("unused", 0ms, log.function());
    writer.submit(snapshotOf(list, RecoverySource::NewList, ""));
    writer.flush();
    const auto failure = writer.takeFailure();
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find("No space left on device"), std::string::npos);
    EXPECT_FALSE(writer.takeFailure().has_value());
    log.refuse = false;
    writer.submit(snapshotOf(list, RecoverySource::NewList, ""));
    writer.flush();
    EXPECT_EQ(log.count(), 1u);
    EXPECT_FALSE(writer.takeFailure().has_value());
}

}  // namespace
}  // namespace bv3::edit
