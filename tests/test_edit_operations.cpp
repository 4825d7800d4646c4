// The editing operations: what each does to the list, that undo restores the exact bytes and
// redo the exact edit, and that a refused operation changes nothing.

#include "channeldb/conversion_error.h"
#include "edit/changed_services.h"
#include "edit/duplicates.h"
#include "edit/edit_error.h"
#include "edit/favourite_operations.h"
#include "edit/menu_operations.h"
#include "edit/reference_order.h"
#include "edit/service_operations.h"
#include "edit/table_operations.h"
#include "edit_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace bv3::edit {
namespace {

using ::testing::ElementsAre;
using testing::namesOf;
using testing::rowNamed;
using testing::sampleList;

struct OperationCase {
    const char* name;
    std::function<void(ChannelList&)> run;
};

std::vector<OperationCase> operationCases() {
    return {
        {"move a scattered selection",
         [](ChannelList& l) {
             moveServices(l, {3, 40, 7}, 10);
         }},
        {"move audio rows to the top",
         [](ChannelList& l) {
             moveServicesToTop(l, {55, 50});
         }},
        {"move to the bottom",
         [](ChannelList& l) {
             moveServicesToBottom(l, {0, 1});
         }},
        {"move up across both lists",
         [](ChannelList& l) {
             moveServicesUp(l, {0, 5, 6, 43, 59});
         }},
        {"move down",
         [](ChannelList& l) {
             moveServicesDown(l, {2, 41, 44});
         }},
        {"sort by name", [](ChannelList& l) { sortServices(l, ServiceGroup::Video, 0, 42, ServiceSortKey::Name); }},
        {"sort a range by provider, descending",
         [](ChannelList& l) { sortServices(l, ServiceGroup::Audio, 3, 10, ServiceSortKey::Provider, true); }},
        {"sort by TS", [](ChannelList& l) { sortServices(l, ServiceGroup::Video, 0, 42, ServiceSortKey::Ts); }},
        {"rename", [](ChannelList& l) { renameService(l, 1, "Lumen Zwei"); }},
        {"delete a selection",
         [](ChannelList& l) {
             deleteServices(l, {59, 0, 20, 43});
         }},
        {"set provider, flags and value",
         [](ChannelList& l) {
             changeServices(l, {1, 2, 50}, {2, 3, true, true, false, 9});
         }},
        {"renumber", [](ChannelList& l) { renumberServices(l, ServiceGroup::Video, 100); }},
        {"channel number", [](ChannelList& l) { setChannelNumber(l, 3, 999); }},
        {"add a provider", [](ChannelList& l) { addProvider(l, "Nova"); }},
        {"delete a provider, taken over", [](ChannelList& l) { deleteProvider(l, 3, 1); }},
        {"delete a network, taken over", [](ChannelList& l) { deleteNetwork(l, 0, 3); }},
        {"rename a network", [](ChannelList& l) { renameNetwork(l, 2, "Nordlys"); }},
        {"add a network", [](ChannelList& l) { addNetwork(l, ""); }},
        {"edit a TS",
         [](ChannelList& l) {
             auto ts = l.database().transportStreams[4];
             ts.tsLongA = 12345;
             ts.networkIndex = 3;
             setTs(l, 4, ts);
         }},
        {"edit an antenna",
         [](ChannelList& l) {
             auto a = l.database().antennas[2];
             a.antLong = 7;
             a.antName = {'D', 'i', 's', 'h'};
             setAntenna(l, 2, a);
         }},
        {"add a favourite", [](ChannelList& l) { addFavourite(l, 0, 0, 7, 1); }},
        {"remove favourites",
         [](ChannelList& l) {
             removeFavourites(l, 0, 0, {4, 0});
         }},
        {"move a favourite", [](ChannelList& l) { moveFavourite(l, 1, 0, 0, 2); }},
        {"menu value", [](ChannelList& l) { setMenuValue(l, 25, -2000); }},
        {"menu time",
         [](ChannelList& l) {
             setMenuTime(l, {false, 1, 30});
         }},
    };
}

TEST(EditUndo, EveryOperationUndoesToTheSameBytesAndRedoesToTheSameEdit) {
    for (const auto& operation : operationCases()) {
        SCOPED_TRACE(operation.name);
        ChannelList list = sampleList();
        const std::string before = list.qnfText();
        operation.run(list);
        const std::string after = list.qnfText();
        EXPECT_NE(before, after);
        ASSERT_TRUE(list.canUndo());
        EXPECT_EQ(list.history().size(), 1u);
        EXPECT_TRUE(list.isDirty());
        ASSERT_TRUE(list.undo());
        EXPECT_EQ(list.qnfText(), before);
        EXPECT_FALSE(list.isDirty());
        ASSERT_TRUE(list.redo());
        EXPECT_EQ(list.qnfText(), after);
        EXPECT_TRUE(list.undo());
        EXPECT_EQ(list.qnfText(), before);
    }
}

TEST(EditUndo, ManyStepsUndoInReverseOrder) {
    ChannelList list = sampleList();
    std::vector<std::string> states{list.qnfText()};
    for (const auto& operation : operationCases()) {
        operation.run(list);
        states.push_back(list.qnfText());
    }
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(list.undo());
        ASSERT_EQ(list.qnfText(), states[i - 1]) << "after undoing step " << i;
    }
    EXPECT_FALSE(list.undo());
    while (list.redo()) {
    }
    EXPECT_EQ(list.qnfText(), states.back());
}

TEST(EditRefusal, AnOperationOutOfRangeChangesNothing) {
    const std::vector<OperationCase> refused = {
        {"service row",
         [](ChannelList& l) {
             deleteServices(l, {3, 60});
         }},
        {"no selection", [](ChannelList& l) { deleteServices(l, {}); }},
        {"mixed kinds",
         [](ChannelList& l) {
             moveServices(l, {3, 45}, 0);
         }},
        {"position",
         [](ChannelList& l) {
             moveServices(l, {3, 4}, 41);
         }},
        {"sort range", [](ChannelList& l) { sortServices(l, ServiceGroup::Audio, 10, 9, ServiceSortKey::Name); }},
        {"long name", [](ChannelList& l) { renameService(l, 0, std::string(41, 'x')); }},
        {"TAB in name", [](ChannelList& l) { renameService(l, 0, "a\tb"); }},
        {"tag in name", [](ChannelList& l) { renameProvider(l, 0, "My [TS] Co"); }},
        {"provider",
         [](ChannelList& l) {
             changeServices(l, {0}, {8, {}, {}, {}, {}, {}});
         }},
        {"TS",
         [](ChannelList& l) {
             changeServices(l, {0}, {{}, 12, {}, {}, {}, {}});
         }},
        {"value",
         [](ChannelList& l) {
             changeServices(l, {0}, {{}, {}, {}, {}, {}, 16});
         }},
        {"taken number", [](ChannelList& l) { setChannelNumber(l, 0, 2); }},
        {"referenced provider", [](ChannelList& l) { deleteProvider(l, 1); }},
        {"provider takes over itself", [](ChannelList& l) { deleteProvider(l, 1, 1); }},
        {"network takeover out of range", [](ChannelList& l) { deleteNetwork(l, 1, 4); }},
        {"TS network",
         [](ChannelList& l) {
             auto ts = l.database().transportStreams[0];
             ts.networkIndex = 4;
             setTs(l, 0, ts);
         }},
        {"antenna", [](ChannelList& l) { setAntenna(l, 16, {}); }},
        {"favourite group", [](ChannelList& l) { addFavourite(l, 2, 0, 1); }},
        {"favourite list", [](ChannelList& l) { addFavourite(l, 0, 4, 1); }},
        {"favourite index", [](ChannelList& l) { removeFavourites(l, 0, 0, {5}); }},
        {"menu value number", [](ChannelList& l) { setMenuValue(l, 45, 0); }},
        {"menu value range", [](ChannelList& l) { setMenuValue(l, 1, 256); }},
        {"menu time",
         [](ChannelList& l) {
             setMenuTime(l, {false, 24, 0});
         }},
    };
    for (const auto& operation : refused) {
        SCOPED_TRACE(operation.name);
        ChannelList list = sampleList();
        const std::string before = list.qnfText();
        EXPECT_THROW(operation.run(list), EditError);
        EXPECT_EQ(list.qnfText(), before);
        EXPECT_FALSE(list.canUndo());
        EXPECT_FALSE(list.isDirty());
    }
}

TEST(EditServices, MoveTakesAScatteredSelectionTogetherInTableOrder) {
    ChannelList list = sampleList();
    moveServices(list, {4, 1}, 2);  // "Orbis Kids" and "Lumen Two"
    const auto names = namesOf(list, ServiceGroup::Video);
    EXPECT_THAT(std::vector<std::string>(names.begin(), names.begin() + 6),
                ElementsAre("Lumen One", "Lumen News", "Lumen Two", "Orbis Kids", "Orbis Family", "Orbis Sport"));
    EXPECT_EQ(list.undoText(), "Move 2 services");
}

TEST(EditServices, UpAndDownStepPastOneUnselectedServiceAndStopAtTheEnds) {
    ChannelList list = sampleList();
    moveServicesUp(list, {0, 2, 43});  // row 0 cannot go up; 43 is the second audio service
    auto video = namesOf(list, ServiceGroup::Video);
    EXPECT_THAT(std::vector<std::string>(video.begin(), video.begin() + 3),
                ElementsAre("Lumen One", "Lumen News", "Lumen Two"));
    EXPECT_EQ(namesOf(list, ServiceGroup::Audio).front(), "Kestrel Jazz");
    moveServicesDown(list, {41});  // the last video service stays where it is
    EXPECT_EQ(namesOf(list, ServiceGroup::Video).back(), "Vantage Auto");
    EXPECT_EQ(list.history().size(), 1u);  // a move that moves nothing is no step
}

TEST(EditServices, SortIsStableAndKeepsServicesWithoutANumberLast) {
    ChannelList list = sampleList();
    setChannelNumber(list, 0, 0);
    renumberServices(list, ServiceGroup::Audio, 1);
    sortServices(list, ServiceGroup::Video, 0, 42, ServiceSortKey::ChannelNumber, true);
    const auto video = namesOf(list, ServiceGroup::Video);
    EXPECT_EQ(video.front(), "Vantage Auto");
    EXPECT_EQ(video.back(), "Lumen One");
    // By the provider's name ("Brightwave" first); one provider's services keep their order.
    ChannelList byProvider = sampleList();
    sortServices(byProvider, ServiceGroup::Video, 0, 42, ServiceSortKey::Provider);
    const auto sorted = namesOf(byProvider, ServiceGroup::Video);
    EXPECT_THAT(std::vector<std::string>(sorted.begin(), sorted.begin() + 3),
                ElementsAre("Brightwave Shop", "Brightwave Live", "Helios Arte"));
}

TEST(EditTables, DeletingAProviderRewritesEveryReferenceSoNoneShifts) {
    ChannelList list = sampleList();
    const auto& db = list.database();
    std::vector<std::string> providerOf;
    for (std::size_t row = 0; row < db.serviceCount(); ++row) {
        const std::string name = db.providers[db.services[row].providerIndex].provName;
        providerOf.push_back(name == "Vantage Group" ? "Orbis TV" : name);
    }
    EXPECT_EQ(providerUsers(list, 3), 10u);
    deleteProvider(list, 3, 1);  // "Vantage Group" to "Orbis TV"
    ASSERT_EQ(db.providerCount, 7);
    for (std::size_t row = 0; row < db.serviceCount(); ++row) {
        ASSERT_LT(db.services[row].providerIndex, db.providerCount);
        EXPECT_EQ(db.providers[db.services[row].providerIndex].provName, providerOf[row]) << "row " << row;
    }
}

TEST(EditTables, TheLastProviderGoesWithoutATakeOver) {
    ChannelList list(0);
    addProvider(list, "Solo");
    deleteProvider(list, 0);
    EXPECT_EQ(list.database().providerCount, 0);
}

TEST(EditGroups, AGroupIsOneStepAndUndoWaitsForItsEnd) {
    ChannelList list = sampleList();
    const std::string before = list.qnfText();
    {
        EditGroup group(list, "Drag");
        for (int i = 0; i < 50; ++i) {
            moveServicesDown(list, {0});
        }
        EXPECT_FALSE(list.canUndo());
        EXPECT_THROW(list.undo(), EditError);
    }
    EXPECT_EQ(list.history().size(), 1u);
    EXPECT_EQ(list.undoText(), "Drag");
    list.undo();
    EXPECT_EQ(list.qnfText(), before);
}

TEST(EditHistory, KeepsTheNewestThousandStepsAndDropsRedoOnANewEdit) {
    ChannelList list = sampleList();
    for (int i = 0; i < 1005; ++i) {
        setMenuValue(list, 6, i + 1);
    }
    EXPECT_EQ(list.history().size(), 1000u);
    int undone = 0;
    while (list.undo()) {
        ++undone;
    }
    EXPECT_EQ(undone, 1000);
    EXPECT_EQ(list.database().menu.menuValue6, 5);
    EXPECT_TRUE(list.isDirty());  // the saved state fell out of the history
    list.redo();
    setMenuValue(list, 6, -1);
    EXPECT_FALSE(list.canRedo());
}

TEST(EditNotification, ListenersHearEveryChangeWithWhatItTouched) {
    ChannelList list = sampleList();
    std::vector<ListChange> heard;
    const auto handle = list.subscribe([&](const ListChange& change) { heard.push_back(change); });
    deleteProvider(list, 3, 1);
    list.undo();
    list.setModelCode(0);
    list.unsubscribe(handle);
    list.redo();
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0].cause, ChangeCause::Edit);
    EXPECT_TRUE(heard[0].tables.contains(ListTable::Providers));
    EXPECT_TRUE(heard[0].tables.contains(ListTable::Services));
    EXPECT_FALSE(heard[0].tables.contains(ListTable::Menu));
    EXPECT_EQ(heard[1].cause, ChangeCause::Undo);
    EXPECT_EQ(heard[1].description, "Delete provider \"Vantage Group\"");
    EXPECT_EQ(heard[2].cause, ChangeCause::Model);
}

TEST(EditFindings, FollowEveryOperationAndPointAtTheRow) {
    ChannelList list = sampleList();
    EXPECT_TRUE(list.findings().empty());
    renameService(list, 5, std::string(25, 'N'));
    const auto& findings = list.findings();
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].finding.severity, channeldb::Severity::Warning);
    ASSERT_TRUE(findings[0].place.table);
    EXPECT_EQ(*findings[0].place.table, ListTable::Services);
    EXPECT_EQ(findings[0].place.row, 5u);
    // The line is the line of the text the list saves as.
    const std::string text = list.qnfText();
    std::size_t at = 0;
    for (std::size_t line = 1; line < *findings[0].finding.line; ++line) {
        at = text.find("\r\n", at) + 2;
    }
    EXPECT_EQ(text.substr(at, 2), "V\t");
    EXPECT_NE(text.substr(at, text.find("\r\n", at) - at).find(std::string(25, 'N')), std::string::npos);
    list.undo();
    EXPECT_TRUE(list.findings().empty());
}

TEST(EditFavourites, KeptRawEntriesAreNotRewrittenButAChangedMeaningIsReported) {
    ChannelList list = sampleList();
    list.setFavouritesFollowServices(false);
    // Video list 0 holds 1, 2, 5, 12, 20: channel numbers of "Lumen One", "Lumen Two", ...
    EXPECT_EQ(resolveEntry(list.database(), 0, 5), rowNamed(list, "Orbis Kids"));
    const auto entriesBefore = list.database().favEntry;
    deleteServices(list, {rowNamed(list, "Orbis Kids")});
    renumberServices(list, ServiceGroup::Video);  // "Orbis Sport" now has 5
    EXPECT_EQ(list.database().favEntry, entriesBefore);
    std::vector<std::string> messages;
    for (const auto& f : list.findings()) {
        if (f.place.table == ListTable::Favourites) {
            messages.push_back(f.finding.message);
        }
    }
    EXPECT_THAT(messages,
                ::testing::Contains(::testing::HasSubstr(
                    "favourite list 0/0 entry 2 (5) now names \"Orbis Sport\"; it named a service that was deleted")));
    // Entries past the renumbered end name nothing.
    setChannelNumber(list, rowNamed(list, "Kestrel FM"), 0);
    addFavourite(list, 1, 2, 999);
    EXPECT_THAT(list.findings().back().finding.message, ::testing::HasSubstr("names no audio service"));
}

TEST(EditFavourites, AGroupWithoutNumbersReadsEntriesAsListPlaces) {
    ChannelList list = sampleList(0);
    renumberServices(list, ServiceGroup::Audio, 1);
    for (const std::size_t row : groupRows(list, ServiceGroup::Audio)) {
        setChannelNumber(list, row, 0);
    }
    EXPECT_EQ(resolveEntry(list.database(), 1, 3), groupRows(list, ServiceGroup::Audio)[2]);
    EXPECT_EQ(entryFor(list.database(), groupRows(list, ServiceGroup::Audio)[2]), 3);
    EXPECT_FALSE(resolveEntry(list.database(), 1, 0));
    EXPECT_FALSE(resolveEntry(list.database(), 1, 19));
}

TEST(EditMenu, TheTimeValueIsHoursAndMinutes) {
    ChannelList list = sampleList();
    setMenuTime(list, {true, 1, 30});
    EXPECT_EQ(list.database().menu.menuValue5, -130);
    const MenuTime time = menuTime(list.database().menu);
    EXPECT_TRUE(time.negative);
    EXPECT_EQ(time.hours, 1);
    EXPECT_EQ(time.minutes, 30);
    EXPECT_EQ(menuValueRange(25).min, -32768);
    EXPECT_EQ(menuValueRange(44).max, 65535);
}

}  // namespace
}  // namespace bv3::edit

namespace bv3::edit {
namespace {

TEST(EditServices, SortByNameReadsNumbersAsAPersonDoes) {
    ChannelList list = testing::sampleList();
    for (const auto& [row, name] : {std::pair{0, "Ch 10"}, {1, "ch 2"}, {2, "Ch 1"}, {3, "Ch 02b"}}) {
        renameService(list, row, name);
    }
    sortServices(list, ServiceGroup::Video, 0, 4, ServiceSortKey::Name);
    auto names = testing::namesOf(list, ServiceGroup::Video);
    names.resize(4);
    EXPECT_THAT(names, ::testing::ElementsAre("Ch 1", "ch 2", "Ch 02b", "Ch 10"));
}

TEST(EditChangedServices, AStepShowsTheServicesItMovedChangedOrBroughtBack) {
    ChannelList list = testing::sampleList();
    auto changedBy = [&](const std::function<void(ChannelList&)>& step) {
        const ServiceSnapshot before = snapshotServices(list);
        step(list);
        std::vector<std::string> names;
        for (const std::size_t row : changedServiceRows(before, list)) {
            names.push_back(list.database().services[row].svcName);
        }
        return names;
    };
    const std::size_t lumenOne = testing::rowNamed(list, "Lumen One");
    EXPECT_THAT(changedBy([&](ChannelList& l) { moveServicesToBottom(l, {lumenOne}); }),
                ::testing::ElementsAre("Lumen One"));
    EXPECT_THAT(changedBy([](ChannelList& l) { l.undo(); }), ::testing::ElementsAre("Lumen One"));
    EXPECT_THAT(changedBy([&](ChannelList& l) { renameService(l, 3, "Orbis Famille"); }),
                ::testing::ElementsAre("Orbis Famille"));
    deleteServices(list, {testing::rowNamed(list, "Orbis Kids"), testing::rowNamed(list, "Kestrel FM")});
    EXPECT_THAT(changedBy([](ChannelList& l) { l.undo(); }), ::testing::ElementsAre("Orbis Kids", "Kestrel FM"));
}

}  // namespace
}  // namespace bv3::edit
