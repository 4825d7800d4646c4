// Random sequences of editing operations on a generated channel list, every one undone at the
// end. The input's first bytes shape the list (how many services, TS, networks, providers,
// favourites, which model), the rest picks operations and their operands, in range or not.
// After every step the invariants hold: every reference names a row of its table, video rows
// come before audio rows, the counters stay within the capacities, a refused operation changed
// nothing, and undoing a step and doing it again gives the same bytes. At the end, undoing
// everything gives the bytes of the list as it was generated.
#include "edit/channel_list.h"
#include "edit/duplicates.h"
#include "edit/edit_error.h"
#include "edit/favourite_operations.h"
#include "edit/menu_operations.h"
#include "edit/reference_order.h"
#include "edit/service_operations.h"
#include "edit/table_operations.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace bv3;
using namespace bv3::edit;

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t word() { return static_cast<std::uint16_t>(byte() | byte() << 8); }
    // A number below limit most of the time, and now and then one just past it.
    std::size_t below(std::size_t limit) {
        const std::uint8_t b = byte();
        return b >= 250 ? limit + (b - 250) : (limit == 0 ? 0 : word() % limit);
    }
    std::vector<std::size_t> rows(std::size_t limit) {
        std::vector<std::size_t> picked(1 + byte() % 6);
        for (auto& row : picked) {
            row = below(limit);
        }
        return picked;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void fail(const char* what) {
    std::fprintf(stderr, "edit_operations_fuzzer: %s\n", what);
    std::abort();
}

channeldb::ChannelDatabase generatedList(Input& in) {
    channeldb::ChannelDatabase db;
    db.networkCount = in.byte() % 6;
    db.providerCount = in.byte() % 9;
    db.tsCount = in.byte() % 12;
    const std::size_t video = in.byte() % 40;
    const std::size_t audio = in.byte() % 20;
    for (std::size_t i = 0; i < db.networkCount; ++i) {
        db.networks[i].netName = "Net " + std::to_string(i);
    }
    for (std::size_t i = 0; i < db.providerCount; ++i) {
        db.providers[i].provName = "Provider " + std::to_string(i);
    }
    for (std::size_t i = 0; i < db.tsCount; ++i) {
        auto& t = db.transportStreams[i];
        t.networkIndex = db.networkCount == 0 ? 0 : in.byte() % db.networkCount;
        t.tsLongA = 11000 + in.byte() % 4;  // few frequencies, so TS repeat and names collide
        t.tsWordA = in.byte() % 3;
    }
    for (std::size_t i = 0; i < video + audio; ++i) {
        auto& s = db.services[i];
        s.serviceKind = i < video ? 0 : 1;
        s.svcWordA = in.byte() % 8;
        s.svcName = "S" + std::to_string(in.byte() % 16);
        s.tsIndex = db.tsCount == 0 ? 0 : in.byte() % db.tsCount;
        s.providerIndex = db.providerCount == 0 ? 0 : in.byte() % db.providerCount;
        s.channelNumber = static_cast<std::uint16_t>(i < video ? i + 1 : i - video + 1);
        s.svcFlag0 = 1;
    }
    db.videoCount = static_cast<std::uint16_t>(video);
    db.audioCount = static_cast<std::uint16_t>(audio);
    for (std::size_t g = 0; g < 2; ++g) {
        for (std::size_t l = 0; l < 4; ++l) {
            db.favCount[g][l] = in.byte() % 6;
            for (std::size_t e = 0; e < db.favCount[g][l]; ++e) {
                db.favEntry[g][l][e] = in.byte() % 45;
            }
        }
    }
    return db;
}

void checkInvariants(const ChannelList& list) {
    const auto& db = list.database();
    auto refers = [](std::uint32_t index, std::size_t count) { return count == 0 ? index == 0 : index < count; };
    if (db.serviceCount() > channeldb::serviceCapacity || db.tsCount > channeldb::tsCapacity ||
        db.networkCount > channeldb::networkCapacity || db.providerCount > channeldb::providerCapacity) {
        fail("a counter beyond its capacity");
    }
    bool audioSeen = false;
    for (std::size_t row = 0; row < db.serviceCount(); ++row) {
        const auto& s = db.services[row];
        if (!refers(s.tsIndex, db.tsCount) || !refers(s.providerIndex, db.providerCount)) {
            fail("a service refers to no row");
        }
        audioSeen = audioSeen || s.serviceKind != 0;
        if (audioSeen && s.serviceKind == 0) {
            fail("a video row after an audio row");
        }
        if ((row < db.videoCount) != (s.serviceKind == 0)) {
            fail("the video counter disagrees with the rows");
        }
    }
    for (std::size_t row = 0; row < db.tsCount; ++row) {
        if (!refers(db.transportStreams[row].networkIndex, db.networkCount)) {
            fail("a TS refers to no network");
        }
    }
    for (std::uint8_t g = 0; g < 2; ++g) {
        for (std::uint8_t l = 0; l < 4; ++l) {
            if (db.favCount[g][l] > channeldb::favouriteEntryCapacity ||
                list.favouriteTargets(g, l).size() != db.favCount[g][l]) {
                fail("a favourite list out of step");
            }
        }
    }
    for (const auto& f : list.findings()) {
        if (f.finding.severity == channeldb::Severity::Error) {
            fail("an edit made an error finding out of a sound list");
        }
    }
}

void runOperation(ChannelList& list, Input& in, const channeldb::ChannelDatabase& reference) {
    const auto& db = list.database();
    const std::size_t services = db.serviceCount();
    const auto group = static_cast<ServiceGroup>(in.byte() % 2);
    const auto g = static_cast<std::uint8_t>(in.byte() % 3);
    const auto l = static_cast<std::uint8_t>(in.byte() % 5);
    const int choice = in.byte() % 26;
    switch (choice) {
        case 0: moveServices(list, in.rows(services), in.below(services)); break;
        case 1: moveServicesUp(list, in.rows(services)); break;
        case 2: moveServicesDown(list, in.rows(services)); break;
        case 3: moveServicesToTop(list, in.rows(services)); break;
        case 4: moveServicesToBottom(list, in.rows(services)); break;
        case 5: sortServices(list, group, in.below(services), in.below(services), static_cast<ServiceSortKey>(in.byte() % 4), in.byte() % 2); break;
        case 6: renameService(list, in.below(services), "R" + std::to_string(in.byte() % 4)); break;
        case 7: deleteServices(list, in.rows(services)); break;
        case 8: changeServices(list, in.rows(services), {in.below(db.providerCount), in.below(db.tsCount), in.byte() % 2, {}, in.byte() % 2, static_cast<std::uint8_t>(in.byte() % 17)}); break;
        case 9: setChannelNumber(list, in.below(services), in.byte() % 50); break;
        case 10: renumberServices(list, group, static_cast<std::uint16_t>(in.byte())); break;
        case 11: addProvider(list, "P" + std::to_string(in.byte() % 4)); break;
        case 12: renameProvider(list, in.below(db.providerCount), "Q"); break;
        case 13: deleteProvider(list, in.below(db.providerCount), in.byte() % 2 ? std::optional<std::size_t>(in.below(db.providerCount)) : std::nullopt); break;
        case 14: addNetwork(list, "N"); break;
        case 15: renameNetwork(list, in.below(db.networkCount), "M"); break;
        case 16: deleteNetwork(list, in.below(db.networkCount), in.byte() % 2 ? std::optional<std::size_t>(in.below(db.networkCount)) : std::nullopt); break;
        case 17: {
            const std::size_t row = in.below(db.tsCount);
            channeldb::TsRecord ts = row < db.tsCount ? db.transportStreams[row] : channeldb::TsRecord{};
            ts.tsLongB = in.word();
            ts.networkIndex = static_cast<std::uint32_t>(in.below(db.networkCount));
            setTs(list, row, ts);
            break;
        }
        case 18: setAntenna(list, in.below(16), {in.word(), 1, 2, 3, 4, 5, 6, {'A'}}); break;
        case 19: addFavourite(list, g, l, in.byte() % 45, in.byte() % 2 ? std::optional<std::size_t>(in.below(6)) : std::nullopt); break;
        case 20: removeFavourites(list, g, l, in.rows(6)); break;
        case 21: moveFavourite(list, g, l, in.below(6), in.below(6)); break;
        case 22: setMenuValue(list, static_cast<int>(in.byte() % 46), static_cast<std::int16_t>(in.word())); break;
        case 23: setMenuTime(list, {in.byte() % 2 == 1, in.byte() % 25, in.byte() % 61}); break;
        case 24: reorderByReference(list, reference, {in.byte() % 2 == 1, in.byte() % 2 == 1, {}}); break;
        default: {
            // A group keeps the operations that held, so a refusal inside it is caught there.
            EditGroup step(list, "group");
            removeDuplicates(list);
            try {
                moveServicesUp(list, in.rows(services));
            } catch (const EditError&) {
            }
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const auto model = static_cast<std::uint8_t>(in.byte() % 6);
    const channeldb::ChannelDatabase generated = generatedList(in);
    const channeldb::ChannelDatabase reference = generatedList(in);
    ChannelList list = ChannelList::fromDatabase(generated, model);
    const std::string original = list.qnfText();
    if (list.hasErrors()) {
        return 0;  // the generator keeps every reference sound; a model's capacity aside
    }
    for (int step = 0; step < 200 && !in.done(); ++step) {
        const std::string before = list.qnfText();
        const std::size_t steps = list.history().doneCount();
        try {
            runOperation(list, in, reference);
        } catch (const EditError&) {
            if (list.qnfText() != before || list.history().doneCount() != steps) {
                fail("a refused operation changed the list");
            }
        }
        checkInvariants(list);
        if (list.history().doneCount() != steps) {
            const std::string after = list.qnfText();
            list.undo();
            if (list.qnfText() != before) {
                fail("undo did not restore the bytes before the step");
            }
            list.redo();
            if (list.qnfText() != after) {
                fail("redo did not restore the bytes after the step");
            }
        }
    }
    while (list.undo()) {
        checkInvariants(list);
    }
    if (list.qnfText() != original) {
        fail("undoing everything did not restore the original bytes");
    }
    return 0;
}
