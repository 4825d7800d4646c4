// Reordering a favourite list (a drag or a key in the favourites tab) and the marks a service
// list shows for the favourite lists that hold each service.
#include "edit/edit_error.h"
#include "edit/favourite_membership.h"
#include "edit/favourite_operations.h"
#include "edit/favourite_order.h"
#include "edit_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace bv3::edit;
using namespace bv3::edit::testing;

namespace {

// Video list 0 of the sample holds the entries 1, 2, 5, 12, 20.
std::vector<std::uint16_t> videoList0(const ChannelList& list) {
    const auto& db = list.database();
    return {db.favEntry[0][0].begin(), db.favEntry[0][0].begin() + db.favCount[0][0]};
}

struct OrderCase {
    const char* name;
    std::function<std::vector<std::size_t>(ChannelList&)> move;
    std::vector<std::uint16_t> entries;  // the list afterwards
    std::vector<std::size_t> placed;     // where the moved entries are then
};

class FavouriteOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(FavouriteOrder, MovesTheEntriesAsOneStepThatUndoGivesBackByteForByte) {
    const OrderCase& c = GetParam();
    ChannelList list = sampleList();
    const std::string textBefore = list.qnfText();
    const auto targetsBefore = favouriteListContent(list, 0, 0);
    EXPECT_EQ(c.move(list), c.placed);
    EXPECT_EQ(videoList0(list), c.entries);
    // Each entry keeps the service it was added for: only the places change.
    const auto targetsAfter = favouriteListContent(list, 0, 0);
    for (std::size_t i = 0; i < targetsAfter.entries.size(); ++i) {
        const auto from = std::find(targetsBefore.entries.begin(), targetsBefore.entries.end(), targetsAfter.entries[i]);
        EXPECT_EQ(targetsAfter.targets[i], targetsBefore.targets[static_cast<std::size_t>(from - targetsBefore.entries.begin())]);
    }
    const bool moved = c.entries != std::vector<std::uint16_t>{1, 2, 5, 12, 20};
    EXPECT_EQ(list.canUndo(), moved) << "a move that changes nothing is no step";
    if (moved) {
        list.undo();
        EXPECT_EQ(list.qnfText(), textBefore);
        EXPECT_FALSE(list.canUndo()) << "one step";
        list.redo();
        EXPECT_EQ(videoList0(list), c.entries);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FavouriteOrder,
    ::testing::Values(
        OrderCase{"DropOneUp", [](ChannelList& l) { return moveFavouritesTo(l, 0, 0, {3}, 1); }, {1, 12, 2, 5, 20}, {1}},
        OrderCase{"DropOneDown", [](ChannelList& l) { return moveFavouritesTo(l, 0, 0, {0}, 3); }, {2, 5, 1, 12, 20}, {2}},
        OrderCase{"DropToTheEnd", [](ChannelList& l) { return moveFavouritesTo(l, 0, 0, {1}, 5); }, {1, 5, 12, 20, 2}, {4}},
        OrderCase{"DropSeveralApartTogether",
                  [](ChannelList& l) { return moveFavouritesTo(l, 0, 0, {4, 0, 2, 0}, 2); },
                  {2, 1, 5, 20, 12},
                  {1, 2, 3}},
        OrderCase{"DropOntoAMovedEntryGoesBeforeTheNextThatStays",
                  [](ChannelList& l) { return moveFavouritesTo(l, 0, 0, {0, 1}, 1); },
                  {1, 2, 5, 12, 20},
                  {0, 1}},
        OrderCase{"DropWhereItIs", [](ChannelList& l) { return moveFavouritesTo(l, 0, 0, {2}, 3); }, {1, 2, 5, 12, 20}, {2}},
        OrderCase{"KeyUp", [](ChannelList& l) { return shiftFavourites(l, 0, 0, {2}, -1); }, {1, 5, 2, 12, 20}, {1}},
        OrderCase{"KeyDown", [](ChannelList& l) { return shiftFavourites(l, 0, 0, {2}, +1); }, {1, 2, 12, 5, 20}, {3}},
        OrderCase{"KeyUpABlockAndOneApart",
                  [](ChannelList& l) { return shiftFavourites(l, 0, 0, {1, 2, 4}, -1); },
                  {2, 5, 1, 20, 12},
                  {0, 1, 3}},
        OrderCase{"KeyDownWithTheLastSelectedMovesOnlyTheOthers",
                  [](ChannelList& l) { return shiftFavourites(l, 0, 0, {0, 4}, +1); },
                  {2, 1, 5, 12, 20},
                  {1, 4}},
        OrderCase{"KeyUpAtTheTop", [](ChannelList& l) { return shiftFavourites(l, 0, 0, {0, 1}, -1); }, {1, 2, 5, 12, 20}, {0, 1}}),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

TEST(FavouriteOrderRefusals, AnythingOutOfRangeLeavesTheListAsItWas) {
    ChannelList list = sampleList();
    const std::string before = list.qnfText();
    const std::vector<std::function<void()>> refused = {
        [&] { moveFavouritesTo(list, 0, 0, {5}, 0); },     // no entry 5
        [&] { moveFavouritesTo(list, 0, 0, {0}, 6); },     // past the end
        [&] { moveFavouritesTo(list, 0, 0, {}, 0); },      // nothing selected
        [&] { moveFavouritesTo(list, 2, 0, {0}, 0); },     // no group 2
        [&] { shiftFavourites(list, 0, 2, {0}, +1); },     // list 0/2 is empty
        [&] { shiftFavourites(list, 0, 0, {0}, 2); },      // a step of two
    };
    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_THROW(refused[i](), EditError) << "case " << i;
    }
    EXPECT_EQ(list.qnfText(), before);
    EXPECT_FALSE(list.canUndo());
}

TEST(FavouriteMembership, EachServiceCarriesTheListsThatNameItAndFollowsEdits) {
    ChannelList list = sampleList();
    addFavourite(list, 0, 3, 2);    // "Lumen Two" in video lists 0 and 3
    addFavourite(list, 1, 2, 999);  // names nothing: marks nothing
    auto lists = favouriteListsOfServices(list.database());
    ASSERT_EQ(lists.size(), list.database().serviceCount());
    EXPECT_EQ(lists[rowNamed(list, "Lumen One")], 0b0001);
    EXPECT_EQ(lists[rowNamed(list, "Lumen Two")], 0b1001);
    EXPECT_EQ(lists[rowNamed(list, "Lumen News")], 0b0010);
    EXPECT_EQ(lists[rowNamed(list, "Orbis Family")], 0b0010);
    EXPECT_EQ(lists[rowNamed(list, "Lumen Radio")], 0) << "audio entries name audio services only";
    EXPECT_EQ(lists[rowNamed(list, "Kestrel FM")], 0b0001);
    EXPECT_EQ(lists[rowNamed(list, "Kestrel Jazz")], 0b0010);
    EXPECT_EQ(lists[rowNamed(list, "Polaris Radio 1")], 0b0001);
    // After a sort the marks stay with the services, not with the rows.
    sortServices(list, ServiceGroup::Video, 0, groupRows(list, ServiceGroup::Video).size(), ServiceSortKey::Name, true);
    lists = favouriteListsOfServices(list.database());
    EXPECT_EQ(lists[rowNamed(list, "Lumen Two")], 0b1001);
    EXPECT_EQ(lists[rowNamed(list, "Vantage Auto")], 0);
}

}  // namespace
