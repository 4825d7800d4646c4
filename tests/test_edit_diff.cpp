// Comparing two lists: services matched by what they are, not by row; each kind of change
// reported once, in the user's terms; the report short for a whole list reordered.
#include "edit_test_support.h"

#include "edit/favourite_operations.h"
#include "edit/list_backups.h"
#include "edit/list_diff.h"
#include "edit/list_diff_report.h"
#include "edit/menu_operations.h"
#include "edit/service_operations.h"
#include "edit/table_operations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace bv3::edit {
namespace {

using testing::sampleList;
using ::testing::HasSubstr;
using ::testing::Not;

ListDiff diffAgainstSample(const ChannelList& edited) {
    return diffLists(sampleList().database(), edited.database());
}

TEST(ListDiff, AListIsTheSameAsItselfAndAsItsCompressedCopy) {
    const ChannelList list = sampleList();
    const ListDiff diff = diffAgainstSample(list);
    EXPECT_TRUE(diff.same());
    EXPECT_EQ(diffText(diff), "the lists are the same\n");
    EXPECT_EQ(diffSummary(diff), "no differences");
    EXPECT_THAT(diffJson(diff), HasSubstr("\"same\": true"));
}

TEST(ListDiff, ASortShowsMovesNotRemovalsAndASummaryLine) {
    ChannelList list = sampleList();
    sortServices(list, ServiceGroup::Video, 0, list.database().videoCount, ServiceSortKey::Name);
    const ListDiff diff = diffAgainstSample(list);
    EXPECT_TRUE(diff.services.added.empty());
    EXPECT_TRUE(diff.services.removed.empty());
    EXPECT_TRUE(diff.services.changed.empty());  // channel numbers travel with their services
    EXPECT_GT(diff.services.order[0].moved, 12u);
    EXPECT_EQ(diff.services.order[0].matched, 42u);
    EXPECT_EQ(diff.services.order[0].sortedBy, "name");
    EXPECT_EQ(diff.services.order[1].moved, 0u);
    const std::string text = diffText(diff);
    EXPECT_THAT(text, HasSubstr("video list reordered: "));
    EXPECT_THAT(text, HasSubstr(" of 42 services moved; now sorted by name\n"));
    EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 4);
}

TEST(ListDiff, OneServiceMovedIsOneMoveNotEveryServiceBetween) {
    ChannelList list = sampleList();
    moveServices(list, {testing::rowNamed(list, "Polaris 2")}, 4);
    const ListDiff diff = diffAgainstSample(list);
    ASSERT_EQ(diff.services.moved.size(), 1u);
    EXPECT_EQ(diff.services.moved[0].name, "Polaris 2");
    EXPECT_EQ(diff.services.moved[0].to, 5u);  // positions as the editor shows them, from 1
    EXPECT_THAT(diffText(diff), HasSubstr("moved \"Polaris 2\" video 11 -> 5\n"));
}

TEST(ListDiff, RenamesRemovalsAndFieldChangesInTheUsersTerms) {
    ChannelList list = sampleList();
    renameService(list, 1, "Lumen Zwei");
    ServiceChanges changes;
    changes.providerIndex = 1;
    changes.flag3 = true;
    changeServices(list, {2}, changes);
    setChannelNumber(list, 3, 99);
    deleteServices(list, {testing::rowNamed(list, "Orbis Sport")});
    const ListDiff diff = diffAgainstSample(list);
    ASSERT_EQ(diff.services.renamed.size(), 1u);
    EXPECT_EQ(diff.services.renamed[0].from.name, "Lumen Two");
    EXPECT_EQ(diff.services.renamed[0].to.name, "Lumen Zwei");
    ASSERT_EQ(diff.services.removed.size(), 1u);
    EXPECT_EQ(diff.services.removed[0].name, "Orbis Sport");
    EXPECT_EQ(diff.services.removed[0].position, 6u);
    EXPECT_TRUE(diff.services.added.empty());
    EXPECT_TRUE(diff.services.moved.empty());  // the rows after a removal are not moves
    const std::string text = diffText(diff);
    EXPECT_THAT(text, HasSubstr("renamed \"Lumen Two\" to \"Lumen Zwei\" (video 2)\n"));
    EXPECT_THAT(text, HasSubstr("removed \"Orbis Sport\" from video 6\n"));
    EXPECT_THAT(text, HasSubstr("changed \"Lumen News\" (video 3): provider \"Lumen Media\" -> "));
    EXPECT_THAT(text, HasSubstr("; flag 3 off -> on\n"));
    EXPECT_THAT(text, HasSubstr("changed \"Orbis Family\" (video 4): channel number 4 -> 99\n"));
    // A removed service's favourite entry now names nothing or another service.
    EXPECT_FALSE(diff.favourites.empty());
}

TEST(ListDiff, AServiceOnAnotherTsIsAChangeAndAnEditedTsMovesNoService) {
    ChannelList list = sampleList();
    ServiceChanges changes;
    changes.tsIndex = 5;
    changeServices(list, {0}, changes);
    channeldb::TsRecord ts = list.database().transportStreams[3];
    ts.tsLongA += 1;
    setTs(list, 3, ts);
    const ListDiff diff = diffAgainstSample(list);
    EXPECT_TRUE(diff.services.added.empty());
    EXPECT_TRUE(diff.services.removed.empty());
    ASSERT_EQ(diff.services.changed.size(), 1u);
    EXPECT_EQ(diff.services.changed[0].service.name, "Lumen One");
    EXPECT_EQ(diff.services.changed[0].fields[0].field, "TS");
    ASSERT_EQ(diff.ts.size(), 1u);
    EXPECT_EQ(diff.ts[0].kind, ChangeKind::Changed);
    EXPECT_EQ(diff.ts[0].fields[0].field, "long A");
}

TEST(ListDiff, DuplicatesPairInOrderAndTheNameBreaksTies) {
    channeldb::ChannelDatabase a = sampleList().database();
    // Two services with the same words and TS: the second list swaps their names. Matching by
    // name first reads this as a move, not as two renames.
    a.services[1] = a.services[0];
    a.services[1].svcName = "Twin";
    channeldb::ChannelDatabase b = a;
    std::swap(b.services[0], b.services[1]);
    const ListDiff diff = diffLists(a, b);
    EXPECT_TRUE(diff.services.renamed.empty());
    ASSERT_EQ(diff.services.moved.size(), 1u);
}

TEST(ListDiff, ProvidersNetworksAntennasAndTheMenu) {
    ChannelList list = sampleList();
    deleteProvider(list, 3, 1);  // "Vantage Group", its services to "Orbis TV"
    renameProvider(list, 0, "Lumen Medien");  // said once, not on each of its services
    renameNetwork(list, 0, "Renamed Net");
    channeldb::AntennaRecord antenna = list.database().antennas[2];
    antenna.antLong += 5;
    setAntenna(list, 2, antenna);
    setMenuTime(list, MenuTime{.negative = false, .hours = 1, .minutes = 30});
    const ListDiff diff = diffAgainstSample(list);
    ASSERT_EQ(diff.providers.size(), 2u);
    EXPECT_EQ(diff.providers[0].kind, ChangeKind::Renamed);
    EXPECT_EQ(diff.providers[1].kind, ChangeKind::Removed);
    EXPECT_EQ(diff.providers[1].name, "Vantage Group");
    ASSERT_EQ(diff.networks.size(), 1u);
    EXPECT_EQ(diff.networks[0].kind, ChangeKind::Renamed);
    EXPECT_TRUE(diff.ts.empty()) << "the renamed network is one change";
    ASSERT_EQ(diff.antennas.size(), 1u);
    EXPECT_EQ(diff.antennas[0].fields[0].field, "long");
    ASSERT_EQ(diff.menu.size(), 1u);
    EXPECT_EQ(diff.menu[0].number, 5u);
    EXPECT_EQ(diff.menu[0].after, "1:30");
    // The providers' rows shifted: only the services of the removed provider changed.
    for (const ServiceChange& c : diff.services.changed) {
        ASSERT_EQ(c.fields.size(), 1u) << c.service.name;
        EXPECT_EQ(c.fields[0].before, "\"Vantage Group\"");
    }
    EXPECT_FALSE(diff.services.changed.empty());
    const std::string text = diffText(diff);
    EXPECT_THAT(text, HasSubstr("Providers\n  renamed provider \"Lumen Media\" to \"Lumen Medien\"\n  removed provider \"Vantage Group\"\n"));
    EXPECT_THAT(text, HasSubstr("  changed 10 services: provider \"Vantage Group\" -> \"Orbis TV\" (\"Vantage Travel\", "
                                "\"Vantage Docs\", \"Meridian World\" and 7 more)\n"));
    EXPECT_THAT(text, HasSubstr("Menu\n  value 5: "));
    EXPECT_THAT(text, HasSubstr(" -> 1:30\n"));
}

TEST(ListDiff, FavouritesAddedRemovedMovedAndRetargeted) {
    ChannelList list = sampleList();
    addFavourite(list, 0, 0, 7);
    moveFavourite(list, 0, 1, 0, 1);
    removeFavourites(list, 1, 0, {0});
    const ListDiff diff = diffAgainstSample(list);
    auto count = [&](ChangeKind kind) {
        return std::count_if(diff.favourites.begin(), diff.favourites.end(),
                             [&](const FavouriteChange& f) { return f.kind == kind; });
    };
    EXPECT_EQ(count(ChangeKind::Added), 1);
    EXPECT_EQ(count(ChangeKind::Removed), 1);
    EXPECT_EQ(count(ChangeKind::Moved), 1);
    EXPECT_THAT(diffText(diff), HasSubstr("video favourites 0: added 7 (\"Orbis Movies\") at "));

    // With raw entries kept, renumbering the list moves entries onto other services: the same
    // number names another.
    ChannelList renumbered = sampleList();
    renumbered.setFavouritesFollowServices(false);
    moveServices(renumbered, {0}, 5);
    renumberServices(renumbered, ServiceGroup::Video);
    const ListDiff moved = diffAgainstSample(renumbered);
    EXPECT_TRUE(std::any_of(moved.favourites.begin(), moved.favourites.end(), [](const FavouriteChange& f) {
        return f.kind == ChangeKind::Changed && !f.newService.empty();
    }));
}

TEST(ListDiff, JsonHasEveryListAndEscapesNames) {
    ChannelList list = sampleList();
    renameService(list, 0, "Say \"hi\"\\");
    const std::string json = diffJson(diffAgainstSample(list));
    for (const char* key : {"\"services\": {\"added\": [", "\"removed\": [", "\"renamed\": [{\"from\": \"Lumen One\", "
                                                                          "\"to\": \"Say \\\"hi\\\"\\\\\"",
                            "\"moved\": [", "\"changed\": [", "\"favourites\": [", "\"providers\": [",
                            "\"networks\": [", "\"ts\": [", "\"antennas\": [", "\"menu\": []"}) {
        EXPECT_THAT(json, HasSubstr(key));
    }
    EXPECT_THAT(json, HasSubstr("\"same\": false"));
}

TEST(ListDiff, LatinNamesComeOutAsUtf8AndLongSectionsAreCut) {
    channeldb::ChannelDatabase a = sampleList().database();
    channeldb::ChannelDatabase b = a;
    b.services[0].svcName = "Caf\xE9";
    for (std::size_t row = 1; row < 30; ++row) {
        b.services[row].channelNumber = static_cast<std::uint16_t>(500 + row);  // each change its own
    }
    const std::string text = diffText(diffLists(a, b));
    EXPECT_THAT(text, HasSubstr("\"Caf\xC3\xA9\""));
    EXPECT_THAT(text, HasSubstr("  ... and "));
    EXPECT_THAT(diffText(diffLists(a, b), {.limit = 0}), Not(HasSubstr("... and")));
    EXPECT_EQ(menuTimeText(-130), "-1:30");
    EXPECT_EQ(menuTimeText(5), "0:05");
}

TEST(ListBackups, NamedByTimeAndModelListedNewestFirstAndPrunedToTheNewest) {
    testing::EditFolder folder;
    const std::string dir = folder / "backups";
    ChannelList list = sampleList();
    const auto start = std::chrono::system_clock::now();
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) {
        paths.push_back(saveBackup(list, dir, start + std::chrono::seconds(i)));
    }
    // Two in the same second keep both; a file of another name is not a backup.
    const std::string twin = saveBackup(list, dir, start + std::chrono::seconds(4));
    EXPECT_NE(twin, paths.back());
    { std::ofstream(dir + "/notes.txt") << "mine"; }
    EXPECT_THAT(paths[0], ::testing::MatchesRegex(".*/[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}-[0-9]{2}-[0-9]{2}_model4\\.v3q"));
    auto entries = listBackups(dir);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].path, twin);
    EXPECT_EQ(entries[1].path, paths[4]);
    EXPECT_EQ(entries[5].path, paths[0]);
    EXPECT_EQ(entries[0].modelCode, 4);
    EXPECT_EQ(pruneBackups(dir, 3), 3u);
    entries = listBackups(dir);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].path, paths[3]);
    EXPECT_TRUE(std::filesystem::exists(dir + "/notes.txt"));
    // A backup is the list, compressed.
    EXPECT_TRUE(diffLists(ChannelList::fromFile(entries[0].path, 4).database(), list.database()).same());
}

}  // namespace
}  // namespace bv3::edit
