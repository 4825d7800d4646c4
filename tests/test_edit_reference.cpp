// Reference order and duplicates: which services match, what order and numbers come out, and
// which services count as the same.

#include "edit/duplicates.h"
#include "edit/favourite_operations.h"
#include "edit/reference_order.h"
#include "edit/service_operations.h"
#include "edit/table_operations.h"
#include "edit_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace bv3::edit {
namespace {

using ::testing::ElementsAre;
using testing::namesOf;
using testing::rowNamed;
using testing::sampleList;

// The receiver after a rescan: the same services, sorted by name, renumbered, one gone and
// one new (in the place of "Orbis Retro", with a name and a service id of its own).
ChannelList rescanned() {
    ChannelList list = sampleList();
    list.setFavouritesFollowServices(false);  // the receiver's own rescan keeps its entries raw
    sortServices(list, ServiceGroup::Video, 0, 42, ServiceSortKey::Name);
    renumberServices(list, ServiceGroup::Video, 1);
    deleteServices(list, {rowNamed(list, "Lumen Two")});
    renameService(list, rowNamed(list, "Orbis Retro"), "Orbis Neu");
    channeldb::ChannelDatabase db = list.database();
    db.services[rowNamed(list, "Orbis Neu")].svcWordA = 0x7777;
    return ChannelList::fromDatabase(db, 4);
}

TEST(EditReference, OrdersLikeTheReferenceWithTheUnmatchedAfter) {
    const ChannelList reference = sampleList();
    ChannelList list = rescanned();
    const std::string before = list.qnfText();
    const ReorderReport report = reorderByReference(list, reference.database());
    EXPECT_EQ(report.matched, 58u);
    EXPECT_EQ(report.matchedRenamed, 0u);
    EXPECT_EQ(report.unmatched, 1u);
    EXPECT_EQ(report.referenceUnmatched, 2u);  // "Lumen Two" and "Orbis Retro"
    auto expected = namesOf(reference, ServiceGroup::Video);
    std::erase(expected, "Lumen Two");
    std::erase(expected, "Orbis Retro");
    expected.push_back("Orbis Neu");
    EXPECT_EQ(namesOf(list, ServiceGroup::Video), expected);
    // Model 4 keeps channel numbers: the matched take the reference's; the new service's
    // number went to a matched one, so it has none now.
    EXPECT_EQ(list.database().services[rowNamed(list, "Lumen News")].channelNumber, 3);
    EXPECT_EQ(list.database().services[rowNamed(list, "Orbis Neu")].channelNumber, 0);
    EXPECT_GT(report.numbersTaken, 0u);
    list.undo();
    EXPECT_EQ(list.qnfText(), before);
}

TEST(EditReference, DropsTheUnmatchedOnRequestAndCarriesFavourites) {
    const ChannelList reference = sampleList();
    ChannelList list = rescanned();
    removeFavourites(list, 0, 0, {0, 1, 2, 3, 4});
    const ReorderReport report = reorderByReference(list, reference.database(), {true, true, {}});
    EXPECT_EQ(report.dropped, 1u);
    EXPECT_EQ(list.database().videoCount, 40);
    // Video list 0 of the reference names channel numbers 1, 2, 5, 12, 20; "Lumen Two" (2) is
    // gone, the others carry over by the numbers they now have.
    const auto entries = favouriteEntries(list, 0, 0);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(list.database().services[*entries[1].row].svcName, "Orbis Kids");
    EXPECT_EQ(report.favouritesLeftOut, 1u);
}

TEST(EditReference, TsNumbersDecideBetweenNamesakesWhereBothListsHaveThem) {
    channeldb::ChannelDatabase reference;
    channeldb::ChannelDatabase db;
    for (auto* d : {&reference, &db}) {
        d->tsCount = 2;
        d->transportStreams[0].tsLongA = 11000;
        d->transportStreams[1].tsLongA = 12000;
    }
    auto service = [](const char* name, std::uint32_t ts) {
        channeldb::ServiceRecord s;
        s.svcName = name;
        s.tsIndex = ts;
        return s;
    };
    // Here: "News" on TS 0, "News" on TS 1, "Sport" on TS 7 (no such TS). Reference: the other way.
    db.services[0] = service("News", 0);
    db.services[1] = service("News", 1);
    db.services[2] = service("Sport", 7);
    db.videoCount = 3;
    reference.services[0] = service("Sport", 0);
    reference.services[1] = service("News", 1);
    reference.services[2] = service("News", 0);
    reference.videoCount = 3;
    const auto matches = matchServices(db, reference);
    EXPECT_THAT(matches, ElementsAre(2u, 1u, 0u));
}

channeldb::ServiceRecord serviceOn(const char* name, std::uint16_t word, std::uint32_t ts, std::uint8_t kind = 0) {
    channeldb::ServiceRecord s;
    s.svcName = name;
    s.svcWordA = word;
    s.tsIndex = ts;
    s.serviceKind = kind;
    return s;
}

// Two TS (rows 0 and 1) and the given services, video first.
channeldb::ChannelDatabase listOf(const std::vector<channeldb::ServiceRecord>& services) {
    channeldb::ChannelDatabase db;
    db.tsCount = 2;
    db.transportStreams[0].tsLongA = 11000;
    db.transportStreams[1].tsLongA = 12000;
    for (const auto& s : services) {
        db.services[db.serviceCount()] = s;
        (s.serviceKind == 0 ? db.videoCount : db.audioCount)++;
    }
    return db;
}

TEST(EditReference, RenamedServicesMatchByTheirNumbersAfterEveryName) {
    using Matches = std::vector<std::optional<std::size_t>>;
    struct Case {
        const char* what;
        std::vector<channeldb::ServiceRecord> reference;
        std::vector<channeldb::ServiceRecord> list;
        Matches expected;  // for each row here, the reference row it matches
    };
    const std::vector<Case> cases = {
        {"a renamed service matches by its words and TS",
         {serviceOn("Old", 1, 0), serviceOn("Two", 2, 0)},
         {serviceOn("Two", 2, 0), serviceOn("New", 1, 0)},
         {1u, 0u}},
        {"renamed and moved to another TS: a new service",
         {serviceOn("Old", 1, 0)},
         {serviceOn("New", 1, 1)},
         {std::nullopt}},
        {"renamed on a TS the list does not have: nothing to compare",
         {serviceOn("Old", 1, 0)},
         {serviceOn("New", 1, 9)},
         {std::nullopt}},
        {"no service words: a name is all there is",
         {serviceOn("Old", 0, 0)},
         {serviceOn("New", 0, 0)},
         {std::nullopt}},
        {"another kind",
         {serviceOn("Old", 1, 0, 1)},
         {serviceOn("New", 1, 0)},
         {std::nullopt}},
        {"two renamed with the same words pair up in order",
         {serviceOn("Old A", 1, 0), serviceOn("Old B", 1, 0)},
         {serviceOn("New A", 1, 0), serviceOn("New B", 1, 0)},
         {0u, 1u}},
        // The reference's first service would take "Two" by its numbers if numbers were tried
        // as the reference is walked; the name further down takes it instead.
        {"a name match wins over a number match before it",
         {serviceOn("One", 1, 0), serviceOn("Two", 1, 0)},
         {serviceOn("Two", 1, 0)},
         {1u}},
        {"a service matched by name is not matched again by numbers",
         {serviceOn("One", 1, 0), serviceOn("Gone", 1, 0)},
         {serviceOn("One", 1, 0), serviceOn("New", 1, 0)},
         {0u, 1u}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(matchServices(listOf(c.list), listOf(c.reference)), c.expected);
    }
}

TEST(EditReference, ARenamedServiceTakesItsPlaceNumberAndFavourites) {
    const ChannelList reference = sampleList();
    ChannelList list = rescanned();
    renameService(list, rowNamed(list, "Lumen One"), "Lumen 1 HD");
    list = ChannelList::fromDatabase(list.database(), 4);
    removeFavourites(list, 0, 0, {0, 1, 2, 3, 4});
    const ReorderReport report = reorderByReference(list, reference.database(), {false, true, {}});
    EXPECT_EQ(report.matched, 58u);
    EXPECT_EQ(report.matchedRenamed, 1u);
    EXPECT_EQ(namesOf(list, ServiceGroup::Video).front(), "Lumen 1 HD");
    EXPECT_EQ(list.database().services[rowNamed(list, "Lumen 1 HD")].channelNumber, 1);
    // Video list 0 of the reference starts with "Lumen One": it now names the renamed service.
    const auto entries = favouriteEntries(list, 0, 0);
    ASSERT_FALSE(entries.empty());
    ASSERT_TRUE(entries[0].row);
    EXPECT_EQ(list.database().services[*entries[0].row].svcName, "Lumen 1 HD");
}

TEST(EditDuplicates, ServiceWordsAndTsNumbersDecideNotNamesOrRows) {
    channeldb::ChannelDatabase db;
    db.tsCount = 3;
    db.transportStreams[0].tsLongA = 11000;
    db.transportStreams[1].tsLongA = 12000;
    db.transportStreams[2].tsLongA = 11000;  // the same TS as row 0, listed twice
    db.services[0] = serviceOn("One", 1, 0);
    db.services[1] = serviceOn("One HD", 1, 2);  // same words, same TS numbers: a duplicate
    db.services[2] = serviceOn("One", 1, 1);     // other TS: a near-duplicate of row 0
    db.services[3] = serviceOn("Two", 2, 0);
    db.services[4] = serviceOn("One", 1, 0, 1);  // audio: another list
    db.videoCount = 4;
    db.audioCount = 1;
    const auto duplicates = findDuplicates(db);
    ASSERT_EQ(duplicates.size(), 1u);
    EXPECT_THAT(duplicates[0].rows, ElementsAre(0u, 1u));
    const auto near = findNearDuplicates(db);
    ASSERT_EQ(near.size(), 1u);
    EXPECT_THAT(near[0].rows, ElementsAre(0u, 2u));

    ChannelList list = ChannelList::fromDatabase(db, 1);
    const std::string before = list.qnfText();
    EXPECT_EQ(removeDuplicates(list), 1u);
    EXPECT_EQ(list.database().serviceCount(), 4u);
    EXPECT_EQ(list.undoText(), "Remove 1 duplicate");
    list.undo();
    EXPECT_EQ(list.qnfText(), before);
    EXPECT_EQ(removeDuplicates(list), 1u);
    EXPECT_EQ(removeDuplicates(list), 0u);
}

}  // namespace
}  // namespace bv3::edit
