// The editor's controller without a window: selection and cut follow the services, a drop
// lands where the person let go, a favourite addition is all or nothing, and a send is stopped
// by an error and asked about for warnings.
#include "edit/edit_error.h"
#include "edit/editor_controller.h"
#include "edit/favourite_operations.h"
#include "edit_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace bv3::edit {
namespace {

using testing::namesOf;
using testing::rowNamed;
using testing::sampleList;

std::vector<std::string> namesAt(const ChannelList& list, const std::vector<std::size_t>& rows) {
    std::vector<std::string> names;
    for (const std::size_t row : rows) {
        names.push_back(list.database().services[row].svcName);
    }
    return names;
}

// The same services, whatever order the list now has them in.
std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

TEST(EditorController, SelectionAndCutStayOnTheirServicesThroughEdits) {
    EditorController c;
    ChannelList& list = c.adopt(sampleList());
    c.select({1, 4});
    const auto selected = namesAt(list, {1, 4});
    c.cut({2, 3});
    const auto cut = namesAt(list, {2, 3});
    sortServices(list, ServiceGroup::Video, 0, list.database().videoCount, ServiceSortKey::Name, true);
    EXPECT_EQ(sorted(namesAt(list, c.selectedRows())), sorted(selected));
    deleteServices(list, {rowNamed(list, selected[0])});
    EXPECT_EQ(namesAt(list, c.selectedRows()), std::vector<std::string>{selected[1]});
    // Paste puts the cut services, wherever the sort took them, together at the top.
    const auto pasted = c.paste(ServiceGroup::Video, 0);
    EXPECT_EQ(pasted, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(sorted(namesAt(list, pasted)), sorted(cut));
    EXPECT_FALSE(c.hasCut());
    // A newly opened list keeps nothing of the last one.
    c.cut({0});
    c.adopt(sampleList());
    EXPECT_FALSE(c.hasCut());
    EXPECT_TRUE(c.selectedRows().empty());
}

// The view counts a drop position with the dragged rows still in the list; the core without.
TEST(EditorController, DropLandsBeforeTheRowItWasDroppedOn) {
    struct Case {
        ServiceGroup group;
        std::vector<std::size_t> rows;
        std::size_t position;
        std::size_t expected;
    };
    ChannelList sample = sampleList();
    const std::size_t audio = sample.database().videoCount;
    const Case cases[] = {
        {ServiceGroup::Video, {2, 3}, 6, 4},           // downwards: the two dragged rows were above
        {ServiceGroup::Video, {5, 9}, 1, 1},           // upwards: none above
        {ServiceGroup::Video, {0, 7}, 5, 4},           // around the target
        {ServiceGroup::Video, {40, 41}, 42, 40},       // to the end of the list
        {ServiceGroup::Audio, {audio + 1}, 3, 2},      // audio counts from its own first row
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EditorController::dropPosition(sample.database(), c.group, c.rows, c.position), c.expected);
    }
    EditorController c;
    ChannelList& list = c.adopt(sampleList());
    const auto names = namesOf(list, ServiceGroup::Video);
    const auto moved = c.drop(ServiceGroup::Video, {2, 3}, 6);
    EXPECT_EQ(moved, (std::vector<std::size_t>{4, 5}));
    EXPECT_EQ(namesOf(list, ServiceGroup::Video)[6], names[6]);  // the row dropped on follows them
    EXPECT_EQ(namesAt(list, moved), (std::vector<std::string>{names[2], names[3]}));
}

TEST(EditorController, CellTextIsCheckedAgainstTheField) {
    EditorController c;
    ChannelList& list = c.adopt(sampleList());
    const std::size_t number = fieldIndex(RecordType::Service, "channelNumber");
    c.setCell(RecordType::Service, {0}, number, "");
    EXPECT_EQ(list.database().services[0].channelNumber, 0);
    EXPECT_THROW(c.setCell(RecordType::Service, {0}, number, "seven"), EditError);
    c.setCell(RecordType::Service, {0, 1}, fieldIndex(RecordType::Service, "svcNibble"), "12");
    EXPECT_EQ(list.database().services[1].svcNibble, 12);
    EXPECT_EQ(list.history().size(), 2u);
}

// A refusal part-way through an addition leaves the list as it was: before, the services before
// the refused one stayed added although an error was shown.
TEST(EditorController, FavouriteAdditionIsAllOrNothing) {
    EditorController c;
    ChannelList& list = c.adopt(sampleList());
    const auto favourites = list.database().favEntry;
    const auto counts = list.database().favCount;
    // Video list 0 of the sample names some services already: adding all video services must
    // meet one of them.
    std::vector<std::size_t> every;
    for (std::size_t row = 0; row < list.database().videoCount; ++row) {
        every.push_back(row);
    }
    EXPECT_THROW(c.addFavourites(0, 0, every, 0), EditError);
    EXPECT_TRUE(list.database().favEntry == favourites);
    EXPECT_TRUE(list.database().favCount == counts);
    EXPECT_FALSE(list.canUndo());
    // Services no list names yet go in as one step, at the place given.
    const auto added = c.addFavourites(0, 3, {5, 6}, 0);
    EXPECT_EQ(added, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(list.database().favCount[0][3], 2);
    EXPECT_EQ(list.history().size(), 1u);
}

TEST(EditorController, AnErrorStopsASendAndWarningsAreListed) {
    EditorController c;
    c.adopt(sampleList(0));  // model 0 has only list 0: the sample's list 1 entries are warnings
    auto check = c.checkBeforeSend();
    EXPECT_FALSE(check.error);
    EXPECT_FALSE(check.warnings.empty());
    channeldb::ChannelDatabase broken = sampleList().database();
    broken.services[3].providerIndex = 99;
    c.adopt(ChannelList::fromDatabase(broken, 4));
    check = c.checkBeforeSend();
    ASSERT_TRUE(check.error);
    EXPECT_EQ(check.error->place.row, 3u);
    EXPECT_TRUE(check.warnings.empty());
}

}  // namespace
}  // namespace bv3::edit
