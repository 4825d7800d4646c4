// The favourites as the window shows them: the Fav column of the service lists stays true
// through edits, undo, sorting and Find; the favourites tab reorders its entries by drag and by
// keys, each one step of the core that undo takes back byte for byte.
#include "editor_test_support.h"
#include "favourites_view.h"

#include "edit/favourite_order.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>

namespace bv3::editor::testing {
namespace {

edit::ChannelList sampleList() {
    return edit::ChannelList::fromQnfText(sampleText(), 4, "channels.qnf");
}

class EditorFavouritesTest : public EditorWindowTest {
protected:
    QTableView* videoView() const { return window_->serviceView(ServiceKind::Video); }
    QSortFilterProxyModel* videoProxy() const { return window_->serviceProxy(ServiceKind::Video); }
    FavouritesView* favourites() const { return window_->favouritesView(); }

    // The Fav cell and its tooltip of the video service of that name as the tab shows it now.
    QString favCell(const QString& name, int role = Qt::DisplayRole) const {
        for (int r = 0; r < videoProxy()->rowCount(); ++r) {
            if (videoProxy()->index(r, ServiceTableModel::Name).data().toString() == name) {
                return videoProxy()->index(r, ServiceTableModel::Favourites).data(role).toString();
            }
        }
        ADD_FAILURE() << "no row shows " << name.toStdString();
        return {};
    }
    // The column's text for those lists: a star, then the list numbers.
    static QString star(const char* lists) { return QChar(0x2605) + QStringLiteral(" ") + QString::fromLatin1(lists); }
    int videoPositionOf(const QString& name) const {
        for (int r = 0; r < videoProxy()->rowCount(); ++r) {
            if (videoProxy()->index(r, ServiceTableModel::Name).data().toString() == name) {
                return videoProxy()->mapToSource(videoProxy()->index(r, 0)).row();
            }
        }
        return -1;
    }
    void undo(QWidget* where) { QTest::keyClick(where, Qt::Key_Z, Qt::ControlModifier); }

    void showVideoList(int list) {
        window_->showTab(EditorTab::Favourites);
        favourites()->groupBox()->setCurrentIndex(0);
        favourites()->listBox()->setCurrentIndex(list);
    }
    // The entries of the favourite list the tab shows, as its Entry column has them.
    std::vector<int> shownEntries() const {
        std::vector<int> entries;
        FavouriteTableModel* model = favourites()->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            entries.push_back(model->index(r, FavouriteTableModel::Entry).data().toInt());
        }
        return entries;
    }
};

TEST_F(EditorFavouritesTest, TheFavColumnNamesTheListsOfEachServiceThroughEditsUndoSortAndFind) {
    openSample();
    window_->showTab(EditorTab::Video);
    EXPECT_EQ(videoProxy()->headerData(ServiceTableModel::Favourites, Qt::Horizontal).toString(), "Fav");
    EXPECT_EQ(favCell("Lumen One"), star("0"));
    EXPECT_EQ(favCell("Lumen News"), star("1"));
    EXPECT_EQ(favCell("Orbis Sport"), "");
    EXPECT_EQ(favCell("Lumen One", Qt::ToolTipRole), "In video favourite list 0");

    // "Lumen One" added to list 2 from the favourites tab: the column says so at once.
    window_->selectServices(ServiceKind::Video, {videoPositionOf("Lumen One")});
    showVideoList(2);
    QTest::mouseClick(favourites()->addButton(), Qt::LeftButton);
    ASSERT_EQ(favourites()->model()->rowCount(), 1);
    EXPECT_EQ(favCell("Lumen One"), star("0, 2"));
    EXPECT_EQ(favCell("Lumen One", Qt::ToolTipRole), "In video favourite lists 0 and 2");
    undo(favourites()->table());
    EXPECT_EQ(favCell("Lumen One"), star("0")) << "undo takes the mark back";

    // A header click sorts by name: the marks stay with their services, not with the rows.
    window_->showTab(EditorTab::Video);
    QHeaderView* header = videoView()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(ServiceTableModel::Name) + 10, header->height() / 2));
    ASSERT_NE(videoPositionOf("Lumen One"), 0) << "the sort moved it";
    EXPECT_EQ(favCell("Lumen One"), star("0"));
    EXPECT_EQ(favCell("Lumen News"), star("1"));
    EXPECT_EQ(favCell("Orbis Sport"), "");

    // With Find active the shown rows keep their own marks; deleting a favourite service
    // removes its entry, and undo brings both back.
    QTest::keyClicks(window_->filterField(), "lumen");
    ASSERT_LT(videoProxy()->rowCount(), videoProxy()->sourceModel()->rowCount());
    EXPECT_EQ(favCell("Lumen Two"), star("0"));
    EXPECT_EQ(favCell("Lumen News"), star("1"));
    window_->selectServices(ServiceKind::Video, {videoPositionOf("Lumen Two")});
    videoView()->setFocus();
    QTest::keyClick(videoView(), Qt::Key_Delete);
    ASSERT_EQ(videoPositionOf("Lumen Two"), -1);
    showVideoList(0);
    EXPECT_EQ(shownEntries(), (std::vector<int>{1, 5, 12, 20}));
    window_->showTab(EditorTab::Video);
    undo(videoView());
    EXPECT_EQ(favCell("Lumen Two"), star("0"));
    EXPECT_EQ(favCell("Lumen One"), star("0"));
}

TEST_F(EditorFavouritesTest, AColumnLayoutSavedForOtherColumnsIsNotAppliedToThisTable) {
    // A layout that hides the Fav column, as an editor with other columns may have saved it:
    // applied to the wrong set of columns it would hide or size the wrong ones.
    QHeaderView* header = videoView()->horizontalHeader();
    header->hideSection(ServiceTableModel::Favourites);
    const QByteArray state = header->saveState();
    header->showSection(ServiceTableModel::Favourites);
    struct Case {
        QByteArray savedColumns;  // what the saving editor wrote beside its layout
        bool applied;
    };
    const Case cases[] = {
        {QByteArray(), false},  // an editor from before the count was kept
        {QByteArray::number(ServiceTableModel::ColumnCount - 1), false},
        {QByteArray::number(ServiceTableModel::ColumnCount), true},
    };
    for (const Case& c : cases) {
        window_->settings().setValue("window/videoTable", state);
        window_->settings().setValue("window/videoTableColumns", c.savedColumns);
        MainWindow next(std::make_unique<ScriptedPrompts>(script_));
        EXPECT_EQ(next.serviceView(ServiceKind::Video)->isColumnHidden(ServiceTableModel::Favourites), c.applied)
            << "saved for " << c.savedColumns.toStdString() << " columns";
    }
}

TEST_F(EditorFavouritesTest, DraggingEntriesReordersTheListInOneStepWithinItsOwnList) {
    openSample();
    showVideoList(0);
    ASSERT_EQ(shownEntries(), (std::vector<int>{1, 2, 5, 12, 20}));
    favourites()->selectPositions({0, 2});
    QTableView* table = favourites()->table();
    std::unique_ptr<QMimeData> data(favourites()->model()->mimeData(table->selectionModel()->selectedIndexes()));
    ASSERT_NE(data, nullptr);

    // Dropped onto the entry at 4: before it, as the core moves them.
    auto expected = sampleList();
    edit::moveFavouritesTo(expected, 0, 0, {0, 2}, 4);
    FavouriteTableModel* model = favourites()->model();
    ASSERT_TRUE(model->canDropMimeData(data.get(), Qt::MoveAction, -1, -1, model->index(4, 0)));
    ASSERT_TRUE(model->dropMimeData(data.get(), Qt::MoveAction, -1, -1, model->index(4, 0)));
    EXPECT_EQ(docText(), expected.qnfText());
    EXPECT_EQ(shownEntries(), (std::vector<int>{2, 12, 1, 5, 20}));
    EXPECT_EQ(favourites()->selectedPositions(), (QList<int>{2, 3})) << "the dropped entries stay selected";

    // Between rows at the end.
    std::unique_ptr<QMimeData> first(model->mimeData({model->index(0, 0)}));
    ASSERT_TRUE(model->dropMimeData(first.get(), Qt::MoveAction, 5, 0, {}));
    EXPECT_EQ(shownEntries(), (std::vector<int>{12, 1, 5, 20, 2}));

    // Another list refuses them (an entry there would name another service); nothing changes.
    const std::string before = docText();
    showVideoList(1);
    EXPECT_FALSE(model->canDropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
    EXPECT_FALSE(model->dropMimeData(data.get(), Qt::MoveAction, 0, 0, {}));
    EXPECT_EQ(docText(), before);

    undo(table);
    undo(table);
    EXPECT_EQ(docText(), sampleText()) << "each drop is one step, undone byte for byte";
}

TEST_F(EditorFavouritesTest, KeysMoveTheSelectedEntriesAndLeaveTheServicesAlone) {
    openSample();
    showVideoList(0);
    QTableView* table = favourites()->table();
    table->setFocus();
    favourites()->selectPositions({1, 3});
    struct Step {
        Qt::Key key;
        std::vector<int> entries;
        QList<int> selected;
        Qt::KeyboardModifiers extra = Qt::NoModifier;  // the keypad's arrows carry a flag of their own
    };
    const Step steps[] = {
        {Qt::Key_Up, {2, 1, 12, 5, 20}, {0, 2}},
        {Qt::Key_Up, {2, 12, 1, 5, 20}, {0, 1}},  // the first stays at the top, the other moves on
        {Qt::Key_End, {1, 5, 20, 2, 12}, {3, 4}},
        {Qt::Key_Down, {1, 5, 20, 2, 12}, {3, 4}},  // at the bottom already: no step
        {Qt::Key_Home, {2, 12, 1, 5, 20}, {0, 1}},
        {Qt::Key_Down, {1, 2, 12, 5, 20}, {1, 2}, Qt::KeypadModifier},
    };
    for (const Step& step : steps) {
        QTest::keyClick(table, step.key, Qt::ControlModifier | step.extra);
        EXPECT_EQ(shownEntries(), step.entries) << "after Ctrl+" << QKeySequence(step.key).toString().toStdString();
        EXPECT_EQ(favourites()->selectedPositions(), step.selected);
    }
    // The services did not move: only the favourite list did.
    const auto services = [](const std::string& text) { return text.substr(text.find("[SERVICE]")); };
    EXPECT_EQ(services(docText()), services(sampleText()));
    for (int i = 0; i < 5; ++i) {
        undo(table);
    }
    EXPECT_EQ(docText(), sampleText()) << "five steps, each undone";
    EXPECT_FALSE(doc().canUndo());
}

}  // namespace
}  // namespace bv3::editor::testing
