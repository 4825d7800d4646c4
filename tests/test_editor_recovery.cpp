// The editor loses no work: an editor killed after an edit leaves a recovery copy that the
// next start offers and restores as unsaved; a save or a clean end removes the copy, and two
// editors at once keep one each. And the list's file changed on the disk by another program
// is noticed at a save and when the window is activated.
#include "disk_change_guard.h"
#include "editor_test_support.h"
#include "recovery_keeper.h"
#include "sim_process.h"

#include "edit/service_operations.h"

#include <QMessageBox>

#include <chrono>

namespace bv3::editor::testing {
namespace {

using namespace std::chrono_literals;
using bv3::testing::ChildProcess;

fs::path stateFolder() {
    return fs::path(RecoveryKeeper::defaultFolder().toStdString());
}

std::vector<fs::path> copiesIn(const fs::path& folder) {
    std::vector<fs::path> copies;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".copy") {
            copies.push_back(entry.path());
        }
    }
    return copies;
}

class EditorRecoveryTest : public EditorWindowTest {
protected:
    edit::ChannelList& list() { return const_cast<edit::ChannelList&>(*window_->document()); }
};

using EditorDiskChangeBase = EditorRecoveryTest;

TEST_F(EditorRecoveryTest, AKilledEditorsEditIsOfferedAndRestoredAsUnsaved) {
    std::string copy;
    {
        ChildProcess child({std::string(BV3_BINARY_DIR) + "/tests/editor_crash_child", path("channels.qnf").toStdString(),
                            "Lumen Zwei"},
                           file("child").string());
        const std::string line = child.firstLine(60s);
        ASSERT_EQ(line.rfind("written ", 0), 0u) << line << child.standardError();
        copy = line.substr(8);
    }  // SIGKILL: nothing of the editor's own runs after this
    ASSERT_TRUE(fs::exists(copy));

    std::optional<RecoveryOffer> offered;
    window_->recovery().answerOffer = [&](const RecoveryOffer& offer) {
        offered = offer;
        return RestoreChoice::Restore;
    };
    ASSERT_TRUE(window_->offerRecovery());
    ASSERT_TRUE(offered && offered->copy);
    const QString text = RecoveryKeeper::offerText(*offered);
    EXPECT_TRUE(text.contains("the list from the file \"" + path("channels.qnf") + "\"")) << text.toStdString();
    EXPECT_TRUE(text.contains("(1 change), written at " + QDateTime::fromSecsSinceEpoch(offered->copy->writtenAt)
                                                                .toString("yyyy-MM-dd HH:mm:ss")))
        << text.toStdString();

    edit::ChannelList expected = edit::ChannelList::fromQnfText(sampleText(), 4, "sample");
    edit::renameService(expected, 1, "Lumen Zwei");
    EXPECT_EQ(docText(), expected.qnfText());
    EXPECT_TRUE(window_->document()->isDirty());
    EXPECT_TRUE(window_->isWindowModified());
    EXPECT_EQ(window_->documentPath(), path("channels.qnf"));
    EXPECT_EQ(readText(file("channels.qnf")), sampleText()) << "the file itself is untouched until saved";
    EXPECT_FALSE(fs::exists(copy)) << "the restored copy is taken over by this editor";
    EXPECT_TRUE(fs::exists(window_->recovery().copyPath().toStdString()));

    // Saved, the list needs no copy; and nothing is offered any more.
    ASSERT_TRUE(window_->save());
    EXPECT_EQ(readText(file("channels.qnf")), expected.qnfText());
    EXPECT_TRUE(copiesIn(stateFolder()).empty());
    offered.reset();
    EXPECT_FALSE(window_->offerRecovery());
    EXPECT_FALSE(offered.has_value());
}

TEST_F(EditorRecoveryTest, DiscardRemovesALeftCopyAndLaterKeepsIt) {
    for (const auto choice : {RestoreChoice::Later, RestoreChoice::Discard}) {
        SCOPED_TRACE(choice == RestoreChoice::Later ? "later" : "discard");
        {
            ChildProcess child({std::string(BV3_BINARY_DIR) + "/tests/editor_crash_child",
                                path("channels.qnf").toStdString(), "Lost"},
                               file("child").string());
            ASSERT_EQ(child.firstLine(60s).rfind("written ", 0), 0u) << child.standardError();
        }
        window_->recovery().answerOffer = [&](const RecoveryOffer&) { return choice; };
        EXPECT_FALSE(window_->offerRecovery());
        EXPECT_EQ(window_->document(), nullptr);
        EXPECT_EQ(copiesIn(stateFolder()).size(), choice == RestoreChoice::Later ? 1u : 0u);
    }
}

// Each editor keeps its own copy; neither takes the other's for a left one, and a clean end
// takes only its own away.
TEST_F(EditorRecoveryTest, TwoEditorsAtOnceKeepACopyEach) {
    openSample();
    edit::renameService(list(), 1, "First editor");
    auto second = std::make_unique<MainWindow>(std::make_unique<ScriptedPrompts>(script_));
    ASSERT_TRUE(second->openFile(path("channels.qnf")));
    edit::renameService(const_cast<edit::ChannelList&>(*second->document()), 2, "Second editor");
    window_->recovery().writer().flush();
    second->recovery().writer().flush();
    ASSERT_EQ(copiesIn(stateFolder()).size(), 2u);

    int offers = 0;
    second->recovery().answerOffer = [&](const RecoveryOffer&) {
        ++offers;
        return RestoreChoice::Discard;
    };
    EXPECT_FALSE(second->offerRecovery());
    EXPECT_EQ(offers, 0) << "a running editor's copy is not left behind";

    const std::string secondsCopy = second->recovery().copyPath().toStdString();
    second.reset();
    EXPECT_FALSE(fs::exists(secondsCopy));
    EXPECT_TRUE(fs::exists(window_->recovery().copyPath().toStdString()));

    // Undone to the file's state, the list needs no copy.
    ASSERT_TRUE(list().undo());
    EXPECT_TRUE(copiesIn(stateFolder()).empty());
}

// A copy that cannot be read is said so, and can be discarded; nothing is restored from it.
TEST_F(EditorRecoveryTest, AnUnreadableCopyIsToldAndCanBeDiscarded) {
    fs::create_directories(stateFolder());
    writeText(stateFolder() / "editor-1-2-3.copy", "BV3 RECOVERY COPY 1\nwritten 1\n");
    std::optional<RecoveryOffer> offered;
    window_->recovery().answerOffer = [&](const RecoveryOffer& offer) {
        offered = offer;
        return RestoreChoice::Discard;
    };
    EXPECT_FALSE(window_->offerRecovery());
    ASSERT_TRUE(offered.has_value());
    EXPECT_FALSE(offered->copy.has_value());
    EXPECT_TRUE(RecoveryKeeper::offerText(*offered).contains("cannot be read")) << offered->problem.toStdString();
    EXPECT_TRUE(copiesIn(stateFolder()).empty());
}

// The offer as the person sees it (docs/editor-restore.png is this picture).
TEST_F(EditorRecoveryTest, TheOfferBoxNamesTheSourceAndTheTime) {
    edit::RecoveryCopy copy;
    copy.source = edit::RecoverySource::Receiver;
    copy.sourceName = "/dev/ttyUSB0";
    copy.modelCode = 4;
    copy.undoPosition = 12;
    copy.writtenAt = QDateTime(QDate(2026, 12, 11), QTime(7, 42, 5)).toSecsSinceEpoch();
    const auto box = RecoveryKeeper::offerBox(window_.get(), {"x.copy", copy, {}});
    EXPECT_TRUE(box->text().contains("the list received from the receiver on /dev/ttyUSB0 with unsaved changes "
                                     "(12 changes), written at 2026-12-11 07:42:05"))
        << box->text().toStdString();
    EXPECT_EQ(box->buttons().size(), 3);
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    const QPixmap picture = box->grab();
    EXPECT_FALSE(picture.isNull());
    if (const char* folder = std::getenv("BV3_EDITOR_PICTURES")) {
        picture.save(QString::fromLocal8Bit(folder) + "/editor-restore.png", "PNG");
    }
}

// ---------------------------------------------------------------- changes on the disk

class EditorDiskChangeTest : public EditorDiskChangeBase {
protected:
    void SetUp() override {
        EditorDiskChangeBase::SetUp();
        openSample();
        window_->diskChanges().answer = [this](const QString&, bool unsaved) {
            asked.push_back(unsaved);
            return answers.empty() ? DiskChangeChoice::Cancel : answers.front();
        };
    }
    // Another program writes the file: other bytes, and a time that differs.
    void changeOnDisk(const std::string& newName) {
        edit::ChannelList other = edit::ChannelList::fromQnfText(sampleText(), 4, "other");
        edit::renameService(other, 3, newName);
        otherText = other.qnfText();
        writeText(file("channels.qnf"), otherText);
        fs::last_write_time(file("channels.qnf"), fs::last_write_time(file("channels.qnf")) + 2s);
    }
    void activate() {
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(window_.get(), &activation);
        // The window checks the disk once the activation is handled, through the event queue.
        QCoreApplication::processEvents();
    }

    std::vector<bool> asked;
    std::deque<DiskChangeChoice> answers;
    std::string otherText;
};

TEST_F(EditorDiskChangeTest, ASaveOverAFileChangedOnDiskAsksFirst) {
    edit::renameService(list(), 1, "Mine");
    const std::string mine = docText();
    changeOnDisk("Theirs");

    answers = {DiskChangeChoice::Cancel};
    EXPECT_FALSE(window_->save());
    EXPECT_EQ(asked, std::vector<bool>{true});
    EXPECT_EQ(readText(file("channels.qnf")), otherText) << "cancelled: the other version stays";

    answers = {DiskChangeChoice::SaveAs};
    script_->fileNames = {path("mine.qnf")};
    EXPECT_FALSE(window_->save());
    EXPECT_EQ(readText(file("mine.qnf")), mine);
    EXPECT_EQ(readText(file("channels.qnf")), otherText);
    EXPECT_EQ(window_->documentPath(), path("mine.qnf"));
}

TEST_F(EditorDiskChangeTest, OverwriteAndReloadDoWhatTheySay) {
    edit::renameService(list(), 1, "Mine");
    const std::string mine = docText();
    changeOnDisk("Theirs");
    answers = {DiskChangeChoice::Overwrite};
    EXPECT_TRUE(window_->save());
    EXPECT_EQ(readText(file("channels.qnf")), mine);
    EXPECT_EQ(readText(file("channels.qnf.bak")), otherText) << "the other version is kept as the backup";
    // Saved by this editor: no question at the next save.
    edit::renameService(list(), 1, "Mine again");
    EXPECT_TRUE(window_->save());
    EXPECT_EQ(asked.size(), 1u);

    changeOnDisk("Theirs again");
    answers = {DiskChangeChoice::Reload};
    EXPECT_FALSE(window_->save());
    EXPECT_EQ(docText(), otherText);
    EXPECT_FALSE(window_->document()->isDirty());
}

TEST_F(EditorDiskChangeTest, ActivatingTheWindowAsksOncePerChange) {
    activate();
    EXPECT_TRUE(asked.empty()) << "nothing changed";
    // Touched only, or written with the same bytes: not a change.
    fs::last_write_time(file("channels.qnf"), fs::last_write_time(file("channels.qnf")) + 5s);
    activate();
    EXPECT_TRUE(asked.empty());

    changeOnDisk("Theirs");
    answers = {DiskChangeChoice::Cancel};
    activate();
    activate();
    EXPECT_EQ(asked, std::vector<bool>{false}) << "put off once, not asked at every activation";

    changeOnDisk("Theirs again");
    answers = {DiskChangeChoice::Reload};
    activate();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(docText(), otherText);
}

}  // namespace
}  // namespace bv3::editor::testing
