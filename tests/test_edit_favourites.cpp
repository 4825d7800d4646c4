// Favourite entries follow their services: an operation that would turn an entry to another
// service rewrites it in the same step; raw entries stay on request.
#include "edit/edit_error.h"
#include "edit/favourite_operations.h"
#include "edit_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

using namespace bv3::edit;
using namespace bv3::edit::testing;

namespace {

// What every entry of every list names: the service's name, or "#N" for an entry N that
// names nothing.
std::vector<std::string> namedByEntries(const ChannelList& list) {
    std::vector<std::string> named;
    for (std::uint8_t g = 0; g < 2; ++g) {
        for (std::uint8_t l = 0; l < 4; ++l) {
            for (const auto& view : favouriteEntries(list, g, l)) {
                named.push_back(std::to_string(g) + "/" + std::to_string(l) + " " +
                                (view.row ? list.database().services[*view.row].svcName
                                          : "#" + std::to_string(view.entry)));
            }
        }
    }
    return named;
}

// The sample with no channel numbers at all: entries are list places counted from 1.
ChannelList unnumberedSample() {
    bv3::channeldb::ChannelDatabase db = sampleList().database();
    for (std::size_t row = 0; row < db.serviceCount(); ++row) {
        db.services[row].channelNumber = 0;
    }
    return ChannelList::fromDatabase(db, 1);
}

std::vector<std::string> without(std::vector<std::string> names, const std::string& gone) {
    names.erase(std::remove(names.begin(), names.end(), gone), names.end());
    return names;
}

struct FollowCase {
    const char* name;
    bool numbered;
    std::function<void(ChannelList&)> operation;
    const char* deleted = nullptr;  // the entry "G/L Name" the operation removes with its service
};

class FavouritesFollow : public ::testing::TestWithParam<FollowCase> {};

TEST_P(FavouritesFollow, EveryEntryKeepsNamingItsServiceAndUndoGivesBackTheBytes) {
    const FollowCase& c = GetParam();
    ChannelList list = c.numbered ? sampleList() : unnumberedSample();
    // An entry that names nothing stays exactly as it was.
    addFavourite(list, 1, 3, 999);
    const auto namedBefore = namedByEntries(list);
    const std::string textBefore = list.qnfText();
    c.operation(list);
    const auto expected = c.deleted ? without(namedBefore, c.deleted) : namedBefore;
    EXPECT_EQ(namedByEntries(list), expected);
    EXPECT_EQ(list.database().favEntry[1][3][0], 999);
    for (const auto& f : list.findings()) {
        EXPECT_EQ(f.finding.message.find("now names"), std::string::npos) << f.finding.message;
    }
    list.undo();
    EXPECT_EQ(list.qnfText(), textBefore);
    list.redo();
    EXPECT_EQ(namedByEntries(list), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, FavouritesFollow,
    ::testing::Values(
        FollowCase{"RenumberANumberedList", true,
                   [](ChannelList& l) {
                       const EditGroup step(l, "Sort and renumber");
                       sortServices(l, ServiceGroup::Video, 0, groupRows(l, ServiceGroup::Video).size(),
                                    ServiceSortKey::Name, false);
                       renumberServices(l, ServiceGroup::Video);
                   }},
        FollowCase{"RenumberFromAnotherFirstNumber", true,
                   [](ChannelList& l) { renumberServices(l, ServiceGroup::Audio, 100); }},
        FollowCase{"SetANumber", true,
                   [](ChannelList& l) { setChannelNumber(l, rowNamed(l, "Lumen One"), 900); }},
        FollowCase{"DeleteInANumberedList", true,
                   [](ChannelList& l) { deleteServices(l, {rowNamed(l, "Orbis Kids")}); }, "0/0 Orbis Kids"},
        FollowCase{"SortAListWithoutNumbers", false,
                   [](ChannelList& l) {
                       sortServices(l, ServiceGroup::Video, 0, groupRows(l, ServiceGroup::Video).size(),
                                    ServiceSortKey::Name, true);
                   }},
        FollowCase{"MoveInAListWithoutNumbers", false,
                   [](ChannelList& l) { moveServices(l, {rowNamed(l, "Lumen Two")}, 10); }},
        FollowCase{"MoveUpInAListWithoutNumbers", false,
                   [](ChannelList& l) { moveServicesUp(l, {rowNamed(l, "Lumen Two")}); }},
        FollowCase{"DeleteInAListWithoutNumbers", false,
                   [](ChannelList& l) { deleteServices(l, {rowNamed(l, "Lumen One")}); }, "0/0 Lumen One"}),
    [](const ::testing::TestParamInfo<FollowCase>& info) { return std::string(info.param.name); });

TEST(EditFavourites, TheSampleSortedAndRenumberedKeepsEveryFavouriteOnItsService) {
    ChannelList list = sampleList();
    const auto before = namedByEntries(list);
    ASSERT_THAT(before, ::testing::Contains("0/0 Lumen One"));
    sortServices(list, ServiceGroup::Video, 0, groupRows(list, ServiceGroup::Video).size(), ServiceSortKey::Name,
                 false);
    renumberServices(list, ServiceGroup::Video);
    EXPECT_EQ(namedByEntries(list), before);
    // The entry is the service's new number, as the receiver shows it.
    EXPECT_EQ(list.database().favEntry[0][0][0],
              list.database().services[rowNamed(list, "Lumen One")].channelNumber);
}

TEST(EditFavourites, RawEntriesStayWhenTheListKeepsThem) {
    ChannelList list = sampleList();
    list.setFavouritesFollowServices(false);
    const auto entriesBefore = list.database().favEntry;
    renumberServices(list, ServiceGroup::Video, 50);
    EXPECT_EQ(list.database().favEntry, entriesBefore);
    EXPECT_THAT(list.findings(), ::testing::Contains(::testing::Field(
                                     &ListFinding::place, ::testing::Field(&ListPlace::table, ListTable::Favourites))));
}

TEST(EditFavourites, AServiceTheListNamesAlreadyIsRefused) {
    ChannelList list = sampleList();
    // Video list 0 holds 1 ("Lumen One"); entry 1 again would show it twice.
    try {
        addFavourite(list, 0, 0, 1);
        FAIL() << "added twice";
    } catch (const EditError& refused) {
        EXPECT_THAT(refused.what(), ::testing::HasSubstr("\"Lumen One\" is in favourite list 0/0 already"));
    }
    addFavourite(list, 0, 1, 1);  // another list may hold it
    EXPECT_EQ(list.database().favCount[0][1], 4);
}

}  // namespace
