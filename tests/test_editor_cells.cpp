// Editing a cell as a person does it: F2 and typing, a click on a flag's box, a pick from the
// provider's drop-down; each is one step that Ctrl+Z takes back, and a value out of the field's
// range is refused with the field and its range named. The open list's model and variant are
// its own: the settings only give what new lists start with.
#include "editor_test_support.h"
#include "record_table_model.h"

#include "edit/record_fields.h"
#include "edit/table_operations.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTableView>

namespace bv3::editor::testing {
namespace {

class EditorCellsTest : public EditorWindowTest {
protected:
    QTableView* videoView() const { return window_->serviceView(ServiceKind::Video); }

    // Types text into a cell of a video row as the cell's editor hands it to the model.
    void typeInto(int row, int column, const QString& text) {
        window_->showTab(EditorTab::Video);
        window_->selectServices(ServiceKind::Video, {row});
        auto* proxy = window_->serviceProxy(ServiceKind::Video);
        proxy->setData(proxy->index(row, column), text, Qt::EditRole);
    }

    // Starts editing a cell with F2, as a person does.
    QWidget* editCell(int row, int column) {
        window_->showTab(EditorTab::Video);
        window_->selectServices(ServiceKind::Video, {row});
        const QModelIndex index = window_->serviceProxy(ServiceKind::Video)->index(row, column);
        videoView()->setCurrentIndex(index);
        videoView()->setFocus();
        QTest::keyClick(videoView(), Qt::Key_F2);
        return QApplication::focusWidget();
    }

    const channeldb::ServiceRecord& video(std::size_t row) const { return doc().database().services[row]; }
};

TEST_F(EditorCellsTest, ChannelNumberAndValueAreTypedInPlaceAndUndoneInOneStep) {
    openSample();
    const std::string before = docText();
    typeInto(2, ServiceTableModel::ChannelNumber, "77");
    EXPECT_EQ(video(2).channelNumber, 77) << doc().undoText() << " " << script_->errors.join("|").toStdString();
    typeInto(2, ServiceTableModel::Value, "12");
    EXPECT_EQ(video(2).svcNibble, 12);
    EXPECT_EQ(doc().history().size(), 2u);
    // Out of the field's range: refused by name and range, nothing changes.
    typeInto(2, ServiceTableModel::Value, "16");
    ASSERT_FALSE(script_->errors.isEmpty());
    EXPECT_TRUE(script_->errors.last().contains("Value: 16 is out of range (0 to 15)")) << script_->errors.last().toStdString();
    EXPECT_EQ(video(2).svcNibble, 12);
    EXPECT_EQ(doc().history().size(), 2u);
    // An emptied number is "none".
    typeInto(2, ServiceTableModel::ChannelNumber, "");
    EXPECT_EQ(video(2).channelNumber, 0);
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(videoView(), Qt::Key_Z, Qt::ControlModifier);
    }
    EXPECT_EQ(docText(), before);
}

TEST_F(EditorCellsTest, AFlagIsSetByItsBoxAsOneStep) {
    openSample();
    auto* proxy = window_->serviceProxy(ServiceKind::Video);
    const QModelIndex flag1 = proxy->index(4, ServiceTableModel::Flag1);
    ASSERT_TRUE(proxy->flags(flag1) & Qt::ItemIsUserCheckable);
    const int before = video(4).svcFlag1;
    // The view's own click on a check box sets the check state; the model turns it into the edit.
    ASSERT_TRUE(proxy->setData(flag1, before != 0 ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(video(4).svcFlag1, before != 0 ? 0 : 1);
    EXPECT_EQ(proxy->index(4, ServiceTableModel::Flag1).data(Qt::CheckStateRole).toInt(),
              before != 0 ? Qt::Unchecked : Qt::Checked);
    window_->action("undo")->trigger();
    EXPECT_EQ(video(4).svcFlag1, before);
    // A raw column shows but is not set by hand.
    EXPECT_FALSE(proxy->flags(proxy->index(4, ServiceTableModel::WordA)) & Qt::ItemIsEditable);
}

TEST_F(EditorCellsTest, AProviderIsPickedByNameFromTheDropDown) {
    openSample();
    auto* box = qobject_cast<QComboBox*>(editCell(5, ServiceTableModel::Provider));
    ASSERT_NE(box, nullptr) << "the provider cell edits with a drop-down";
    ASSERT_EQ(box->count(), doc().database().providerCount);
    EXPECT_EQ(box->currentIndex(), static_cast<int>(video(5).providerIndex));
    const int other = (box->currentIndex() + 3) % box->count();
    EXPECT_TRUE(box->itemText(other).contains(QString::fromStdString(doc().database().providers[other].provName)));
    box->setCurrentIndex(other);
    emit box->activated(other);
    EXPECT_EQ(video(5).providerIndex, static_cast<std::uint32_t>(other));
    EXPECT_EQ(doc().history().size(), 1u);
}

// The TS, antenna, provider and network tables name their columns and ranges from the field
// table, and refuse a value their field cannot hold.
TEST_F(EditorCellsTest, RecordTablesCheckTheirFieldsRanges) {
    openSample();
    window_->showTab(EditorTab::TransportStreams);
    auto* view = window_->findChild<QTableView*>("tsTable");
    auto* model = qobject_cast<RecordTableModel*>(view->model());
    ASSERT_NE(model, nullptr);
    const int byteA = model->columnOf("tsByteA");
    ASSERT_GE(byteA, 0);
    EXPECT_EQ(model->headerData(byteA, Qt::Horizontal, Qt::DisplayRole).toString(), "Byte A");
    EXPECT_TRUE(model->headerData(byteA, Qt::Horizontal, Qt::ToolTipRole).toString().contains("0 to 255"));
    const auto before = doc().database().transportStreams[1];
    EXPECT_TRUE(model->setData(model->index(1, byteA), "300", Qt::EditRole));
    ASSERT_FALSE(script_->errors.isEmpty());
    EXPECT_TRUE(script_->errors.last().contains("Byte A: 300 is out of range (0 to 255)"));
    EXPECT_TRUE(doc().database().transportStreams[1] == before);
    EXPECT_TRUE(model->setData(model->index(1, byteA), "42", Qt::EditRole));
    EXPECT_EQ(doc().database().transportStreams[1].tsByteA, 42);

    window_->showTab(EditorTab::Antennas);
    auto* antennas = qobject_cast<RecordTableModel*>(window_->findChild<QTableView*>("antennaTable")->model());
    const int name = antennas->columnOf("antName");
    EXPECT_TRUE(antennas->setData(antennas->index(6, name), "Hotbird 13E", Qt::EditRole));
    EXPECT_EQ(std::string(doc().database().antennas[6].antName.data()), "Hotbird 13E");
}

TEST_F(EditorCellsTest, TheProviderOrTsOfASelectionIsSetInOneStep) {
    openSample();
    window_->showTab(EditorTab::Video);
    window_->selectServices(ServiceKind::Video, {1, 3, 8});
    script_->choices.push_back(6);
    window_->action("setProvider")->trigger();
    ASSERT_EQ(script_->choiceItems.size(), doc().database().providerCount);
    EXPECT_TRUE(script_->choiceItems[6].endsWith(QString::fromStdString(doc().database().providers[6].provName)));
    script_->choices.push_back(2);
    window_->action("setTs")->trigger();
    for (std::size_t row : {1u, 3u, 8u}) {
        EXPECT_EQ(video(row).providerIndex, 6u);
        EXPECT_EQ(video(row).tsIndex, 2u);
    }
    EXPECT_EQ(doc().history().size(), 2u);
    EXPECT_EQ(window_->selectedServiceRows(), (std::vector<std::size_t>{1, 3, 8}));
}

// Delete on the Providers or Networks tab names what goes and offers the others by name.
TEST_F(EditorCellsTest, DeleteOnTheProvidersAndNetworksTabsAsksWhoTakesOver) {
    openSample();
    const auto& db = doc().database();
    const std::string gone = db.providers[2].provName;
    const std::string taker = db.providers[5].provName;
    const std::size_t users = edit::providerUsers(doc(), 2);
    ASSERT_GT(users, 0u);
    window_->showTab(EditorTab::Providers);
    auto* view = window_->findChild<QTableView*>("providerTable");
    view->setCurrentIndex(view->model()->index(2, 1));
    view->setFocus();
    script_->choices.push_back(4);  // the list leaves row 2 out: item 4 is row 5
    QTest::keyClick(view, Qt::Key_Delete);
    ASSERT_FALSE(script_->choiceLabels.isEmpty());
    EXPECT_TRUE(script_->choiceLabels.last().contains(QString::fromStdString(gone)));
    EXPECT_FALSE(script_->choiceItems.join('\n').contains(QString::fromStdString(gone)));
    ASSERT_EQ(doc().database().providerCount, 7);
    // Row 5 moved down to 4 with the delete; it holds its old services and the deleted one's.
    EXPECT_EQ(doc().database().providers[4].provName, taker);
    EXPECT_EQ(edit::providerUsers(doc(), 4), users + [&] {
        auto before = edit::ChannelList::fromQnfText(sampleText(), 4, "x");
        return edit::providerUsers(before, 5);
    }());
    EXPECT_EQ(doc().history().size(), 1u);

    window_->showTab(EditorTab::Networks);
    auto* networks = window_->findChild<QTableView*>("networkTable");
    networks->setCurrentIndex(networks->model()->index(0, 1));
    networks->setFocus();
    QTest::keyClick(networks, Qt::Key_Delete);  // no answer: cancelled, nothing deleted
    EXPECT_EQ(doc().database().networkCount, 4);
    EXPECT_EQ(doc().history().size(), 1u);
}

TEST_F(EditorCellsTest, TheListKeepsItsModelWhenTheSettingsChange) {
    openSample();
    ASSERT_EQ(doc().modelCode(), 4);
    script_->imageKinds.push_back(ImageKind{1, 7});
    window_->action("listKind")->trigger();
    EXPECT_EQ(doc().modelCode(), 1);
    EXPECT_EQ(doc().configVariant(), std::optional<std::uint8_t>(7));
    EXPECT_FALSE(doc().isDirty()) << "the model is not an edit of the list";
    EXPECT_TRUE(window_->countsLabel()->text().startsWith("model 1")) << window_->countsLabel()->text().toStdString();
}

}  // namespace
}  // namespace bv3::editor::testing
