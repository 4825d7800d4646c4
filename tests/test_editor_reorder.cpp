// Edit > Reorder like a reference in the window: the question with its two choices, the
// report, and one undo step.
#include "editor_test_support.h"
#include "reorder_dialog.h"

#include "edit/favourite_operations.h"
#include "edit/reference_order.h"
#include "edit/service_operations.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace bv3::editor::testing {
namespace {

std::size_t rowNamed(const edit::ChannelList& list, const std::string& name) {
    for (std::size_t row = 0; row < list.database().serviceCount(); ++row) {
        if (list.database().services[row].svcName == name) {
            return row;
        }
    }
    throw std::runtime_error("no service " + name);
}

std::vector<std::string> videoNames(const edit::ChannelList& list) {
    std::vector<std::string> names;
    for (std::size_t row = 0; row < list.database().videoCount; ++row) {
        names.push_back(list.database().services[row].svcName);
    }
    return names;
}

class EditorReorderTest : public EditorWindowTest {};

// The dialog's boxes are its answer: ticked as proposed, and what the person ticks comes back.
TEST_F(EditorReorderTest, TheQuestionAnswersWhatIsTicked) {
    ReorderDialog dialog("before-rescan.qnf", {.dropUnmatched = false, .carryFavourites = true}, window_.get());
    auto* drop = dialog.findChild<QCheckBox*>("dropUnmatched");
    auto* carry = dialog.findChild<QCheckBox*>("carryFavourites");
    ASSERT_TRUE(drop && carry);
    EXPECT_FALSE(dialog.choice().dropUnmatched);
    EXPECT_TRUE(dialog.choice().carryFavourites);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    if (const char* folder = std::getenv("BV3_EDITOR_PICTURES")) {
        dialog.grab().save(QString::fromLocal8Bit(folder) + "/editor-reorder.png");
    }
    QTest::keyClick(drop, Qt::Key_Space);
    QTest::keyClick(carry, Qt::Key_Space);
    EXPECT_TRUE(dialog.choice().dropUnmatched);
    EXPECT_FALSE(dialog.choice().carryFavourites);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// The open list is the sample after a rescan: sorted by name, "Lumen One" renamed, the first
// video favourite list emptied. The sample is the reference.
TEST_F(EditorReorderTest, OrdersLikeTheReferenceAndCarriesItsFavouritesWhenAsked) {
    edit::ChannelList rescan = edit::ChannelList::fromQnfText(sampleText(), 4, "rescan.qnf");
    rescan.setFavouritesFollowServices(false);
    edit::sortServices(rescan, edit::ServiceGroup::Video, 0, 42, edit::ServiceSortKey::Name);
    edit::renameService(rescan, rowNamed(rescan, "Lumen One"), "Lumen 1 HD");
    edit::removeFavourites(rescan, 0, 0, {0, 1, 2, 3, 4});
    writeText(file("rescan.qnf"), rescan.qnfText());
    ASSERT_TRUE(window_->openFile(path("rescan.qnf")));
    const std::string opened = docText();

    // Cancelled at the question: nothing changes, nothing is reported.
    script_->fileNames = {path("channels.qnf")};
    window_->action("reorder")->trigger();
    EXPECT_EQ(docText(), opened);
    EXPECT_TRUE(script_->informations.isEmpty());

    script_->fileNames = {path("channels.qnf")};
    script_->reorderChoices = {ReorderChoice{.dropUnmatched = false, .carryFavourites = true}};
    window_->action("reorder")->trigger();
    auto expected = videoNames(edit::ChannelList::fromQnfText(sampleText(), 4, "channels.qnf"));
    std::ranges::replace(expected, std::string("Lumen One"), std::string("Lumen 1 HD"));
    EXPECT_EQ(videoNames(doc()), expected);
    const auto entries = edit::favouriteEntries(doc(), 0, 0);
    ASSERT_EQ(entries.size(), 5u);
    ASSERT_TRUE(entries[0].row);
    EXPECT_EQ(doc().database().services[*entries[0].row].svcName, "Lumen 1 HD");
    ASSERT_EQ(script_->informations.size(), 1);
    const QString report = script_->informations[0];
    EXPECT_TRUE(report.contains("60 services matched the reference (1 renamed, matched by their numbers)"))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QRegularExpression("Favourites: \\d+ entries carried over, 0 left out")))
        << report.toStdString();

    window_->action("undo")->trigger();
    EXPECT_EQ(docText(), opened);
}

// Without carrying favourites, the list's own entries stay and the report does not speak of
// them.
TEST_F(EditorReorderTest, LeavesTheFavouritesAloneUnlessAsked) {
    edit::ChannelList rescan = edit::ChannelList::fromQnfText(sampleText(), 4, "rescan.qnf");
    edit::removeFavourites(rescan, 0, 0, {0, 1, 2, 3, 4});
    writeText(file("rescan.qnf"), rescan.qnfText());
    ASSERT_TRUE(window_->openFile(path("rescan.qnf")));
    script_->fileNames = {path("channels.qnf")};
    script_->reorderChoices = {ReorderChoice{.dropUnmatched = true, .carryFavourites = false}};
    window_->action("reorder")->trigger();
    EXPECT_TRUE(edit::favouriteEntries(doc(), 0, 0).empty());
    ASSERT_EQ(script_->informations.size(), 1);
    EXPECT_FALSE(script_->informations[0].contains("Favourites")) << script_->informations[0].toStdString();
    EXPECT_TRUE(script_->informations[0].contains("0 services it does not have removed"))
        << script_->informations[0].toStdString();
}

}  // namespace
}  // namespace bv3::editor::testing
