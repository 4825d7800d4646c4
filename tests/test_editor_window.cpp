// The editor's main window driven as a person drives it: keys, in-place editing, drag and
// drop through the model's own mime data, and the questions about unsaved changes. Every edit
// must give exactly what the editing core gives for the same operations.
#include "editor_test_support.h"
#include "favourites_view.h"
#include "findings_dock.h"
#include "menu_settings_form.h"
#include "receiver_link.h"
#include "settings_dialog.h"
#include "sim_process.h"

#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"
#include "edit/favourite_operations.h"
#include "edit/service_operations.h"

#include "record_table_model.h"

#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>

#include <sys/resource.h>
#include <algorithm>
#include <csignal>

namespace bv3::editor::testing {
namespace {

edit::ChannelList sampleList() {
    return edit::ChannelList::fromQnfText(sampleText(), 4, "channels.qnf");
}

}  // namespace

std::vector<std::string> namesOfVideo(const edit::ChannelList& list) {
    std::vector<std::string> names;
    for (std::size_t row = 0; row < list.database().videoCount; ++row) {
        names.push_back(list.database().services[row].svcName);
    }
    return names;
}

namespace {

class EditorKeysTest : public EditorWindowTest {
protected:
    QTableView* videoView() const { return window_->serviceView(ServiceKind::Video); }
    void select(const QList<int>& rows) {
        window_->showTab(EditorTab::Video);
        window_->selectServices(ServiceKind::Video, rows);
        videoView()->setFocus();
    }
    std::size_t videoPositionOf(const std::string& name) const {
        const auto& db = doc().database();
        for (std::size_t row = 0; row < db.videoCount; ++row) {
            if (db.services[row].svcName == name) {
                return row;
            }
        }
        return 0;
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(videoView(), static_cast<Qt::Key>(key), modifiers);
    }
};

TEST_F(EditorKeysTest, KeyboardEditsGiveTheCoresListAndUndoRedoAndSaveKeepIt) {
    openSample();
    const std::string original = docText();

    // The same operations on the core directly.
    auto expected = sampleList();
    edit::moveServicesDown(expected, {3, 4});
    edit::renameService(expected, 0, "Lumen Eins");
    edit::deleteServices(expected, {7});
    edit::sortServices(expected, edit::ServiceGroup::Video, 10, 6, edit::ServiceSortKey::Name);
    edit::renumberServices(expected, edit::ServiceGroup::Video);
    edit::moveServicesToTop(expected, {20});

    select({3, 4});
    key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(window_->selectedServiceRows(), (std::vector<std::size_t>{4, 5})) << "the moved rows stay selected";

    select({0});
    key(Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr) << "F2 edits the name in place";
    editor->selectAll();
    QTest::keyClicks(editor, "Lumen Eins");
    QTest::keyClick(editor, Qt::Key_Return);

    select({7});
    key(Qt::Key_Delete);

    select({10, 15});
    window_->action("sortName")->trigger();
    window_->action("renumber")->trigger();
    select({20});
    key(Qt::Key_Home, Qt::ControlModifier);

    EXPECT_EQ(docText(), expected.qnfText());
    const std::string edited = docText();

    int undos = 0;
    while (window_->action("undo")->isEnabled()) {
        key(Qt::Key_Z, Qt::ControlModifier);
        ASSERT_LT(++undos, 20);
    }
    EXPECT_EQ(undos, 6) << "one step per operation";
    EXPECT_EQ(docText(), original);
    EXPECT_FALSE(doc().isDirty());
    int redos = 0;
    while (window_->action("redo")->isEnabled()) {
        QTest::keySequence(videoView(), window_->action("redo")->shortcut());
        ASSERT_LT(++redos, 20);
    }
    EXPECT_EQ(docText(), edited);

    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(script_->errors.isEmpty()) << script_->errors.join("\n").toStdString();
    EXPECT_FALSE(doc().isDirty());
    EXPECT_EQ(readText(file("channels.qnf")), expected.qnfText());
    EXPECT_EQ(readText(file("channels.qnf.bak")), original) << "the previous file is kept as .bak";

    // The command line's verbs on the same core write the same bytes.
    bv3::testing::ChildProcess tool({bv3::testing::binary("bv3"), "edit", file("channels.qnf.bak").string(),
                                     file("by-bv3.qnf").string(), "--model", "4", "--move-down", "3-4", "--rename",
                                     "0=Lumen Eins", "--delete", "7", "--sort", "video:name:10-15", "--renumber",
                                     "video", "--move-top", "20"},
                                    file("bv3").string());
    ASSERT_EQ(tool.wait(std::chrono::seconds(60)), 0) << tool.standardError();
    EXPECT_EQ(readText(file("by-bv3.qnf")), readText(file("channels.qnf")));
}

// The mnemonic letter of a text ("&File" -> 'f'), or 0.
QChar mnemonicOf(const QString& text) {
    const auto at = text.indexOf('&');
    return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
}

TEST_F(EditorKeysTest, KeysAndMessagesDoWhatAPersonExpects) {
    openSample();
    // Alt+letter opens one thing only: the menus and the tabs share no mnemonic.
    QList<QChar> letters;
    for (QAction* menu : window_->menuBar()->actions()) {
        letters << mnemonicOf(menu->text());
    }
    auto* tabs = window_->findChild<QTabWidget*>("tabs");
    for (int i = 0; i < tabs->count(); ++i) {
        letters << mnemonicOf(tabs->tabText(i));
    }
    // The buttons of the favourites tab, shown beside the tabs, too.
    for (auto* button : window_->favouritesView()->findChildren<QPushButton*>()) {
        letters << mnemonicOf(button->text());
    }
    for (const QChar letter : letters) {
        EXPECT_FALSE(letter.isNull());
        EXPECT_EQ(letters.count(letter), 1) << "Alt+" << QString(letter).toStdString() << " is taken twice";
    }
    EXPECT_TRUE(window_->action("saveAs")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));

    // Ctrl+Tab and Ctrl+PgDn switch tabs while the table has the focus.
    select({0});
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), static_cast<int>(EditorTab::Audio));
    window_->serviceView(ServiceKind::Audio)->setFocus();
    QTest::keyClick(window_->serviceView(ServiceKind::Audio), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), static_cast<int>(EditorTab::Favourites));

    // Ctrl+Z in the find box takes back the list's last edit; Esc clears the find.
    select({1});
    key(Qt::Key_Delete);
    const std::string deleted = docText();
    QLineEdit* find = window_->filterField();
    const int findWidth = find->width();
    find->setFocus();
    QTest::keyClicks(find, "lumen");
    QTest::keyClick(find, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(docText(), sampleText());
    EXPECT_EQ(find->text(), "lumen");
    EXPECT_EQ(find->width(), findWidth) << "the find box keeps its width whatever the undo text";
    QTest::keyClick(find, Qt::Key_Escape);
    EXPECT_TRUE(find->text().isEmpty());
    EXPECT_EQ(window_->serviceProxy(ServiceKind::Video)->rowCount(), 42);

    // A list read from an image is saved under a new name, never an earlier file's.
    const edit::ChannelList sample = sampleList();
    const auto upload = channeldb::composeUploadedImage(channeldb::buildConfigImage(sample.database(), 3, 4),
                                                        channeldb::buildServiceImage(sample.database(), 4), 4);
    writeText(file("upload.raw"), std::string(upload.begin(), upload.end()));
    script_->unsaved = {UnsavedChoice::Discard};
    ASSERT_TRUE(window_->openFile(path("upload.raw"), ImageKind{4, 3}));
    EXPECT_TRUE(QFileInfo(window_->proposedName()).fileName().startsWith("received-"))
        << window_->proposedName().toStdString();

    // Antennas never set show an empty number, not 4294967295.
    RecordTableModel* antennas = nullptr;
    for (auto* model : window_->findChildren<RecordTableModel*>()) {
        if (model->rowCount() == 16) {
            antennas = model;
        }
    }
    ASSERT_NE(antennas, nullptr);
    for (int row = 0; row < 16; ++row) {
        EXPECT_NE(antennas->index(row, 2).data().toString(), "4294967295") << row;
    }
}

TEST_F(EditorKeysTest, SettingsLabelsShowNoAmpersand) {
    SettingsDialog dialog(ReceiverSettings{}, {"Com1"});
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text().contains('&')) {
            EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString() << " shows its \"&\"";
        }
    }
}

TEST_F(EditorKeysTest, TheFilterNarrowsTheRowsButKeepsTheirOrder) {
    openSample();
    QSortFilterProxyModel* proxy = window_->serviceProxy(ServiceKind::Video);
    QTest::keyClicks(window_->filterField(), "orbis");
    ASSERT_GT(proxy->rowCount(), 1);
    int previous = -1;
    for (int r = 0; r < proxy->rowCount(); ++r) {
        const int position = proxy->mapToSource(proxy->index(r, 0)).row();
        EXPECT_GT(position, previous);
        previous = position;
        EXPECT_TRUE(proxy->index(r, ServiceTableModel::Provider).data().toString().contains("Orbis") ||
                    proxy->index(r, ServiceTableModel::Name).data().toString().contains("Orbis"));
    }
    // A move while filtered moves the real rows.
    select({proxy->mapToSource(proxy->index(0, 0)).row()});
    const std::size_t row = window_->selectedServiceRows().at(0);
    const std::string name = doc().database().services[row].svcName;
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(doc().database().services[doc().database().videoCount - 1u].svcName, name);
}

TEST_F(EditorKeysTest, WithFindActiveAMoveAndItsUndoKeepTheFilterAndTheSelection) {
    openSample();
    QSortFilterProxyModel* proxy = window_->serviceProxy(ServiceKind::Video);
    auto shownNames = [&] {
        QStringList names;
        for (int r = 0; r < proxy->rowCount(); ++r) {
            names << proxy->index(r, ServiceTableModel::Name).data().toString();
        }
        return names;
    };
    auto selectedNames = [&] {
        QStringList names;
        for (const std::size_t row : window_->selectedServiceRows()) {
            names << QString::fromStdString(doc().database().services[row].svcName);
        }
        return names;
    };
    QTest::keyClicks(window_->filterField(), "lumen");
    const QStringList lumen = shownNames();
    ASSERT_GT(lumen.size(), 2);
    for (const QString& name : lumen) {
        ASSERT_TRUE(name.contains("Lumen") || proxy->index(lumen.indexOf(name), ServiceTableModel::Provider)
                                                  .data().toString().contains("Lumen"));
    }
    // "Lumen News" to the bottom: the same services stay shown, the moved one selected.
    select({static_cast<int>(videoPositionOf("Lumen News"))});
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(shownNames().size(), lumen.size());
    EXPECT_EQ(shownNames().last(), "Lumen News");
    EXPECT_EQ(selectedNames(), QStringList{"Lumen News"});
    // Undo puts it back and selects what it moved.
    window_->serviceView(ServiceKind::Video)->clearSelection();
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shownNames(), lumen);
    EXPECT_EQ(selectedNames(), QStringList{"Lumen News"});
    // A delete and its undo, still filtered.
    select({static_cast<int>(videoPositionOf("Lumen Two"))});
    key(Qt::Key_Delete);
    EXPECT_FALSE(shownNames().contains("Lumen Two"));
    EXPECT_EQ(shownNames().size(), lumen.size() - 1);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shownNames(), lumen);
    EXPECT_EQ(selectedNames(), QStringList{"Lumen Two"});

    // Another list opens at its top, with nothing selected.
    window_->filterField()->clear();
    select({40});
    window_->serviceView(ServiceKind::Video)->scrollToBottom();
    script_->unsaved = {UnsavedChoice::Discard};
    openSample();
    EXPECT_EQ(window_->serviceView(ServiceKind::Video)->rowAt(0), 0);
    EXPECT_TRUE(window_->selectedServiceRows().empty());
}

TEST_F(EditorKeysTest, AHeaderClickSortsTheListAsOneUndoableEdit) {
    openSample();
    window_->showTab(EditorTab::Video);
    QHeaderView* header = videoView()->horizontalHeader();
    auto clickName = [&] {
        const int x = header->sectionViewportPosition(ServiceTableModel::Name) + 10;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, header->height() / 2));
    };
    auto byName = testing::namesOfVideo(sampleList());
    std::sort(byName.begin(), byName.end(), [](const std::string& a, const std::string& b) {
        return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) < 0;
    });
    clickName();
    EXPECT_EQ(testing::namesOfVideo(doc()), byName);
    clickName();
    std::reverse(byName.begin(), byName.end());
    EXPECT_EQ(testing::namesOfVideo(doc()), byName) << "a second click sorts the other way";
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(docText(), sampleText()) << "each click is one step";
}

TEST_F(EditorKeysTest, DragAndDropMovesANonContiguousSelectionInOneStep) {
    openSample();
    QSortFilterProxyModel* proxy = window_->serviceProxy(ServiceKind::Video);
    select({1, 3, 5});
    const QModelIndexList dragged = videoView()->selectionModel()->selectedIndexes();
    std::unique_ptr<QMimeData> data(proxy->mimeData(dragged));
    ASSERT_NE(data, nullptr);

    auto expected = sampleList();
    edit::moveServices(expected, {1, 3, 5}, 6);  // dropped before the row at 9: 9 - 3 rows above it
    ASSERT_TRUE(proxy->canDropMimeData(data.get(), Qt::MoveAction, -1, -1, proxy->index(9, 0)));
    ASSERT_TRUE(proxy->dropMimeData(data.get(), Qt::MoveAction, -1, -1, proxy->index(9, 0)));
    EXPECT_EQ(docText(), expected.qnfText());
    EXPECT_EQ(window_->selectedServiceRows(), (std::vector<std::size_t>{6, 7, 8}));

    // The other kind's tab refuses them, and nothing changes.
    const std::string before = docText();
    QSortFilterProxyModel* audio = window_->serviceProxy(ServiceKind::Audio);
    EXPECT_FALSE(audio->canDropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
    EXPECT_FALSE(audio->dropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
    EXPECT_EQ(docText(), before);

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(docText(), sampleList().qnfText()) << "the drag is one undo step";
}

TEST_F(EditorKeysTest, CutAndPasteMoveRowsToTheSelectedRow) {
    openSample();
    select({2, 4});
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(docText(), sampleList().qnfText()) << "cut only marks the rows";
    select({10});
    key(Qt::Key_V, Qt::ControlModifier);
    auto expected = sampleList();
    edit::moveServices(expected, {2, 4}, 8);
    EXPECT_EQ(docText(), expected.qnfText());
}

class EditorDocumentTest : public EditorWindowTest {};

TEST_F(EditorDocumentTest, ClosingOpeningAndReceivingAskAboutUnsavedChangesAndCancelKeepsTheList) {
    openSample();
    window_->selectServices(ServiceKind::Video, {0});
    window_->action("delete")->trigger();
    const std::string edited = docText();
    int dialogs = 0;
    window_->receiverLink().beforeDialog = [&](QWidget& dialog) {
        ++dialogs;
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });
    };
    writeText(file("other.qnf"), sampleText());

    script_->unsaved = {UnsavedChoice::Cancel, UnsavedChoice::Cancel, UnsavedChoice::Cancel};
    EXPECT_FALSE(window_->close());
    EXPECT_FALSE(window_->openFile(path("other.qnf")));
    window_->receive();
    EXPECT_EQ(script_->unsavedQuestions, 3);
    EXPECT_EQ(dialogs, 0) << "a cancelled receive never opens the port";
    EXPECT_EQ(docText(), edited);
    EXPECT_EQ(window_->documentPath(), path("channels.qnf"));

    script_->unsaved = {UnsavedChoice::Discard};
    EXPECT_TRUE(window_->openFile(path("other.qnf")));
    EXPECT_EQ(docText(), sampleText());
    EXPECT_EQ(readText(file("channels.qnf")), sampleText()) << "discarded, not saved";

    window_->selectServices(ServiceKind::Video, {0});
    window_->showTab(EditorTab::Video);
    window_->action("delete")->trigger();
    script_->unsaved = {UnsavedChoice::Save};
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(readText(file("other.qnf")), edited);
    EXPECT_EQ(readText(file("other.qnf.bak")), sampleText());
}

TEST_F(EditorDocumentTest, AFailedSaveKeepsTheListDirtyAndTheOldFileIntact) {
    openSample();
    window_->showTab(EditorTab::Video);
    window_->selectServices(ServiceKind::Video, {0});
    window_->action("delete")->trigger();
    ASSERT_TRUE(doc().isDirty());

    // A folder that cannot exist (its parent is a file).
    EXPECT_FALSE(window_->saveAs(path("channels.qnf") + "/inside.qnf"));
    EXPECT_TRUE(doc().isDirty());
    ASSERT_EQ(script_->errors.size(), 1);
    EXPECT_TRUE(script_->errors[0].contains("inside.qnf")) << script_->errors[0].toStdString();

    // A full disk: no write may grow a file past a few bytes.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit tiny = previous;
    tiny.rlim_cur = 512;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool saved = window_->save();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(doc().isDirty());
    EXPECT_EQ(readText(file("channels.qnf")), sampleText());
    EXPECT_EQ(script_->errors.size(), 2);
    for (const auto& entry : fs::directory_iterator(file("channels.qnf").parent_path())) {
        const std::string name = entry.path().filename().string();
        // "state" holds the recovery copy of the unsaved list, as it should.
        EXPECT_TRUE(name == "channels.qnf" || name == "settings" || name == "state" || name == "channels.qnf.bak")
            << "left behind: " << name;
    }
}

TEST_F(EditorDocumentTest, SaveAsCompressedReopensAsTheSameList) {
    openSample();
    window_->showTab(EditorTab::Video);
    window_->selectServices(ServiceKind::Video, {4});
    window_->action("delete")->trigger();
    const std::string edited = docText();
    script_->fileNames = {path("packed")};
    window_->action("saveAs")->trigger();  // the filter the scripted dialog reports is empty: text
    EXPECT_EQ(readText(file("packed.qnf")), edited) << "a name without a suffix gets the format's";
    ASSERT_TRUE(window_->saveAs(path("packed.v3q")));
    EXPECT_EQ(readText(file("packed.v3q")).substr(0, 4), "!HZL");
    ASSERT_TRUE(window_->openFile(path("packed.v3q")));
    EXPECT_EQ(docText(), edited);
    EXPECT_EQ(doc().origin(), edit::ListOrigin::Container);
}

TEST_F(EditorDocumentTest, BadFilesShowTheReadersMessageAndKeepTheOpenList) {
    openSample();
    window_->showTab(EditorTab::Video);
    window_->selectServices(ServiceKind::Video, {1});
    window_->action("delete")->trigger();
    const std::string edited = docText();
    script_->unsaved.assign(8, UnsavedChoice::Discard);

    writeText(file("header.qnf"), "[SOMETHING ELSE]\r\n[SERVICE]\r\n");
    writeText(file("value.qnf"), sampleText().substr(0, sampleText().find("[SERVICE]")) + "[SERVICE]\r\nV\tten\r\n");
    writeText(file("short.raw"), std::string("\x01\x02\x03\x00\xff", 5));
    fs::create_directories(file("folder.qnf"));
    struct Case {
        std::string name;
        const char* mentions;
    };
    const Case cases[] = {{"header.qnf", "Corrupt data table"},
                          {"value.qnf", "line"},
                          {"missing.qnf", "missing.qnf"},
                          {"folder.qnf", "folder.qnf"},
                          {"short.raw", "short.raw"}};
    for (const Case& c : cases) {
        script_->errors.clear();
        script_->imageKinds = {ImageKind{4, 3}};
        EXPECT_FALSE(window_->openFile(path(c.name))) << c.name;
        ASSERT_EQ(script_->errors.size(), 1) << c.name;
        EXPECT_TRUE(script_->errors[0].contains(QString::fromStdString(c.name))) << script_->errors[0].toStdString();
        EXPECT_TRUE(script_->errors[0].contains(c.mentions)) << script_->errors[0].toStdString();
        EXPECT_EQ(docText(), edited) << c.name;
        EXPECT_EQ(window_->documentPath(), path("channels.qnf"));
    }
}

TEST_F(EditorDocumentTest, AReceiverImageOpensAndAShortOneIsRefusedWithItsSize) {
    const edit::ChannelList sample = sampleList();
    const auto& db = sample.database();
    const auto upload =
        channeldb::composeUploadedImage(channeldb::buildConfigImage(db, 3, 4), channeldb::buildServiceImage(db, 4), 4);
    // An upload begins ff fe a8 bd: bytes a text test must not take for text.
    writeText(file("upload.raw"), std::string(upload.begin(), upload.end()));
    writeText(file("short.raw"), std::string(upload.begin(), upload.begin() + 1000));

    script_->imageKinds = {ImageKind{4, 3}};
    ASSERT_TRUE(window_->openFile(path("upload.raw"))) << script_->errors.join("\n").toStdString();
    EXPECT_EQ(docText(), sampleText());
    EXPECT_TRUE(script_->imageKinds.empty()) << "the model and variant were asked for";

    // Given by the caller (bv3-editor FILE --model N --variant N), nothing is asked.
    script_->imageKinds = {std::nullopt};
    ASSERT_TRUE(window_->openFile(path("upload.raw"), ImageKind{4, 3}));
    EXPECT_EQ(script_->imageKinds.size(), 1u);

    // A short image is refused for its size before anything is asked.
    EXPECT_FALSE(window_->openFile(path("short.raw")));
    ASSERT_EQ(script_->errors.size(), 1);
    EXPECT_TRUE(script_->errors[0].contains("holds 1000 bytes, but an upload from the receiver holds 401408"))
        << script_->errors[0].toStdString();
    EXPECT_EQ(script_->imageKinds.size(), 1u);

    // A text's reason is the one bv3 check gives, not only the reader's bare words.
    script_->errors.clear();
    writeText(file("lf.qnf"), "[BREVORA V3 FILE]\n[MENU]\n0\n");
    EXPECT_FALSE(window_->openFile(path("lf.qnf")));
    ASSERT_EQ(script_->errors.size(), 1);
    EXPECT_TRUE(script_->errors[0].contains("the lines end in LF where CR LF is required"))
        << script_->errors[0].toStdString();
}

TEST_F(EditorDocumentTest, FavouritesFollowTheirServicesUnlessTheSettingKeepsThemRaw) {
    auto lumenOneEntry = [this] {
        const auto entries = edit::favouriteEntries(doc(), 0, 0);
        return doc().database().services[entries.at(0).row.value()].svcName;
    };
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "raw entries" : "entries follow");
        ReceiverSettings receiver = EditorSettings().receiver();
        EXPECT_FALSE(receiver.keepFavouriteEntries) << "off by default";
        receiver.keepFavouriteEntries = keep;
        EditorSettings().setReceiver(receiver);
        script_->unsaved = {UnsavedChoice::Discard};
        openSample();
        window_->showTab(EditorTab::Video);
        window_->selectServices(ServiceKind::Video, {0});
        window_->action("moveBottom")->trigger();
        window_->action("renumber")->trigger();
        EXPECT_EQ(lumenOneEntry(), keep ? "Lumen Two" : "Lumen One");
        window_->action("undo")->trigger();
        EXPECT_EQ(lumenOneEntry(), "Lumen One");
        receiver.keepFavouriteEntries = false;
        EditorSettings().setReceiver(receiver);
    }
}

TEST_F(EditorDocumentTest, SendRefusesAListWithAnErrorBeforeItOpensThePort) {
    std::string text = sampleText();
    // The first service names provider row 90, which the list does not have.
    const auto at = text.find("V\t10100");
    const auto providerColumn = text.find("\t0\tLumen One", at);
    text.replace(providerColumn, 2, "\t90");
    writeText(file("broken.qnf"), text);
    ASSERT_TRUE(window_->openFile(path("broken.qnf")));
    ASSERT_TRUE(doc().hasErrors());
    int dialogs = 0;
    window_->receiverLink().beforeDialog = [&](QWidget& dialog) {
        ++dialogs;
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });
    };
    window_->showTab(EditorTab::Favourites);
    window_->send();
    EXPECT_EQ(dialogs, 0);
    ASSERT_EQ(script_->errors.size(), 1);
    EXPECT_TRUE(script_->errors[0].contains("error")) << script_->errors[0].toStdString();
    EXPECT_EQ(window_->selectedServiceRows(), (std::vector<std::size_t>{0})) << "the window shows the row at fault";
}

TEST_F(EditorDocumentTest, SendAsksOnceWhileAWarningStands) {
    openSample();
    window_->setModelCode(0);  // model 0 keeps only favourite list 0: two warnings
    ASSERT_FALSE(doc().findings().empty());
    int dialogs = 0;
    window_->receiverLink().beforeDialog = [&](QWidget& dialog) {
        ++dialogs;
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });
    };
    script_->confirmations = {false};
    window_->send();
    EXPECT_EQ(dialogs, 0) << "the person said no: the port is not opened";
    EXPECT_TRUE(script_->confirmations.empty()) << "asked once";
    EXPECT_TRUE(window_->statusBar()->currentMessage().contains("Not sent"));
}

TEST_F(EditorDocumentTest, AFindingJumpsToItsRowAndTheStatusBarCountsAgainstTheModel) {
    std::string text = sampleText();
    const auto at = text.find("Polaris Weather");
    text.replace(at, 15, "Polaris Weather and Traffic Channel");  // longer than the receiver keeps
    writeText(file("long.qnf"), text);
    ASSERT_TRUE(window_->openFile(path("long.qnf")));
    QTreeWidget* tree = window_->findingsDock()->tree();
    ASSERT_GE(tree->topLevelItemCount(), 1);
    EXPECT_TRUE(window_->countsLabel()->text().contains(
        "video 42 of 2000, audio 18 of 2000, 60 of 4000 services; 0 errors, 1 warning"))
        << window_->countsLabel()->text().toStdString();
    EXPECT_EQ(window_->findingsDock()->windowTitle().toStdString(), "Findings: 0 errors, 1 warning");
    ServiceTableModel* video = window_->serviceModel(ServiceKind::Video);
    EXPECT_TRUE(video->index(12, ServiceTableModel::Name).data(Qt::BackgroundRole).isValid()) << "the row is marked";
    EXPECT_FALSE(video->index(11, ServiceTableModel::Name).data(Qt::BackgroundRole).isValid());
    // Where it is, as the window numbers it: the tab and the # shown there (row 12 is #13).
    EXPECT_TRUE(tree->topLevelItem(0)->text(1).startsWith("Video #13 (line ")) << tree->topLevelItem(0)->text(1).toStdString();
    window_->showTab(EditorTab::Antennas);
    QTreeWidgetItem* item = tree->topLevelItem(0);
    emit tree->itemActivated(item, 0);
    EXPECT_EQ(window_->selectedServiceRows(), (std::vector<std::size_t>{12}));
}

TEST_F(EditorDocumentTest, FavouritesAndTheMenuTimeAreEditedThroughTheCore) {
    openSample();
    window_->showTab(EditorTab::Video);
    window_->selectServices(ServiceKind::Video, {6});
    FavouritesView* favourites = window_->favouritesView();
    window_->showTab(EditorTab::Favourites);
    favourites->groupBox()->setCurrentIndex(0);
    favourites->listBox()->setCurrentIndex(0);
    const int before = favourites->model()->rowCount();
    favourites->table()->clearSelection();
    favourites->table()->setCurrentIndex({});
    QTest::mouseClick(favourites->addButton(), Qt::LeftButton);
    ASSERT_EQ(favourites->model()->rowCount(), before + 1);
    const QModelIndex added = favourites->model()->index(before, FavouriteTableModel::Service);
    EXPECT_EQ(added.data().toString(), QString::fromStdString(doc().database().services[6].svcName));

    auto* time = window_->menuForm()->timeField();
    time->setTime(QTime(21, 45));
    EXPECT_EQ(doc().database().menu.menuValue5, 2145);
    window_->action("undo")->trigger();
    EXPECT_EQ(doc().database().menu.menuValue5, sampleList().database().menu.menuValue5);
    EXPECT_EQ(time->time(), QTime(1, 0)) << "the form follows the undo";
}

}  // namespace
}  // namespace bv3::editor::testing

namespace bv3::editor::testing {
namespace {

class EditorSettingsTest : public EditorWindowTest {};

TEST_F(EditorSettingsTest, RecentFilesPortsHeaderIdsAndImageKindsAreRemembered) {
    EditorSettings& settings = window_->settings();
    for (int i = 0; i < recentFileLimit + 3; ++i) {
        settings.addRecentFile(path("list" + std::to_string(i) + ".qnf"));
    }
    settings.addRecentFile(path("list5.qnf"));
    const QStringList recent = settings.recentFiles();
    ASSERT_EQ(recent.size(), recentFileLimit);
    EXPECT_EQ(recent.front(), path("list5.qnf")) << "the last one opened comes first";
    EXPECT_EQ(recent.count(path("list5.qnf")), 1);

    settings.setImageKind(path("a.raw"), {1, 4});
    ASSERT_TRUE(settings.imageKind(path("a.raw")).has_value());
    EXPECT_EQ(settings.imageKind(path("a.raw"))->configVariant, 4);
    EXPECT_FALSE(settings.imageKind(path("b.raw")).has_value());

    ReceiverSettings receiver;
    receiver.port = "/dev/ttyUSB0";
    receiver.baud = 38400;
    receiver.headerId = 0xCAFE0001;
    settings.setReceiver(receiver);
    EXPECT_EQ(settings.receiver(), receiver);

    // Values out of range fall back to the defaults, each one told, not clamped to the
    // nearest (model 9 is no receiver; model 5 would be the wrong one).
    settings.setValue("receiver/model", "9");
    settings.setValue("receiver/baud", "7");
    settings.setValue("receiver/variant", "999");
    QStringList corrections;
    const ReceiverSettings fallen = settings.receiver(&corrections);
    EXPECT_EQ(fallen.modelCode, ReceiverSettings{}.modelCode);
    EXPECT_EQ(fallen.baud, ReceiverSettings{}.baud);
    EXPECT_EQ(fallen.configVariant, ReceiverSettings{}.configVariant);
    EXPECT_EQ(corrections, (QStringList{"baud rate 7 is out of range; using 115200", "model 9 is out of range; using 4",
                                        "variant 999 is out of range; using 3"}));
    settings.setReceiver(receiver);

    fs::create_directories(file("dev"));
    for (const char* name : {"ttyUSB1", "ttyS0", "ttyACM0", "sda", "null"}) {
        writeText(file("dev") / name, "");
    }
    const QStringList ports = availablePorts(path("dev"));
    EXPECT_EQ(ports.mid(0, 4), (QStringList{"Com1", "Com2", "Com3", "Com4"}));
    EXPECT_TRUE(ports.contains(path("dev/ttyUSB1")));
    EXPECT_TRUE(ports.contains(path("dev/ttyS0")));
    EXPECT_TRUE(ports.contains(path("dev/ttyACM0")));
    EXPECT_FALSE(ports.contains(path("dev/sda")));
}

TEST(EditorHeaderId, DecimalAndHexWithinThirtyTwoBits) {
    const std::pair<const char*, std::optional<std::uint32_t>> cases[] = {
        {"0x12345678", 0x12345678u}, {"305419896", 305419896u}, {" 0XFFFFFFFF ", 0xFFFFFFFFu},
        {"0x100000000", std::nullopt}, {"12ab", std::nullopt}, {"", std::nullopt}, {"-1", std::nullopt}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(parseHeaderId(text), expected) << text;
    }
}

}  // namespace
}  // namespace bv3::editor::testing
