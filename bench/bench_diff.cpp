// Comparing two full lists (4000 services): a list against itself, against the same list sorted
// by name (every service moved), and with one of every kind of change. The comparison runs for
// bv3 diff, bv3 send --verify and the editor's send preview; the report and the JSON are
// measured with it, as a user waits for both.
#include "edit/channel_list.h"
#include "edit/list_diff.h"
#include "edit/list_diff_report.h"
#include "edit/service_operations.h"
#include "full_database.h"

#include <benchmark/benchmark.h>

namespace {

using namespace bv3;

// Names that sort in another order than the rows: the number spelled backwards first.
channeldb::ChannelDatabase unsortedNames() {
    auto db = bench::fullDatabase();
    for (std::size_t i = 0; i < channeldb::serviceCapacity; ++i) {
        const std::string digits = std::to_string(i * 7919 % 10007);
        db->services[i].svcName = std::string(digits.rbegin(), digits.rend()) + " Service";
    }
    return *db;
}

channeldb::ChannelDatabase sortedByName() {
    auto list = edit::ChannelList::fromDatabase(unsortedNames(), 4);
    edit::sortServices(list, edit::ServiceGroup::Video, 0, list.database().videoCount, edit::ServiceSortKey::Name);
    edit::sortServices(list, edit::ServiceGroup::Audio, 0, list.database().audioCount, edit::ServiceSortKey::Name);
    return list.database();
}

void BM_DiffSame(benchmark::State& state) {
    const auto a = bench::fullDatabase();
    const auto b = bench::fullDatabase();
    for (auto _ : state) {
        benchmark::DoNotOptimize(edit::diffLists(*a, *b));
    }
}
BENCHMARK(BM_DiffSame)->Unit(benchmark::kMillisecond);

void BM_DiffSorted(benchmark::State& state) {
    const auto a = unsortedNames();
    const auto b = sortedByName();
    for (auto _ : state) {
        const auto diff = edit::diffLists(a, b);
        benchmark::DoNotOptimize(edit::diffText(diff));
    }
}
BENCHMARK(BM_DiffSorted)->Unit(benchmark::kMillisecond);

void BM_DiffSortedJson(benchmark::State& state) {
    const auto a = unsortedNames();
    const auto b = sortedByName();
    for (auto _ : state) {
        benchmark::DoNotOptimize(edit::diffJson(edit::diffLists(a, b)));
    }
}
BENCHMARK(BM_DiffSortedJson)->Unit(benchmark::kMillisecond);

void BM_DiffEveryKind(benchmark::State& state) {
    const auto a = bench::fullDatabase();
    auto b = bench::fullDatabase();
    b->services[10].svcName = "Renamed";
    b->services[20].channelNumber = 9999;
    b->services[30].providerIndex = 1;
    std::swap(b->services[40], b->services[1500]);
    b->providers[3].provName = "Renamed provider";
    b->transportStreams[5].tsLongB = 22000;
    b->favEntry[0][0][3] = 1;
    b->menu.menuValue5 = 130;
    for (auto _ : state) {
        benchmark::DoNotOptimize(edit::diffText(edit::diffLists(*a, *b)));
    }
}
BENCHMARK(BM_DiffEveryKind)->Unit(benchmark::kMillisecond);

}  // namespace
