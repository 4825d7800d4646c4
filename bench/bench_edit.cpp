// The editing core on a full receiver (4000 services, 1000 TS, 500 networks, 500 providers,
// every favourite list full), model 1: loading the list, and each of the big edits with the
// findings refreshed after it, then its undo. Each edit is measured alone (its undo runs
// outside the timing) and each undo alone; the counter undo_bytes is the memory the history
// keeps for the step.
#include "channeldb/qnf_writer.h"
#include "edit/channel_list.h"
#include "edit/service_operations.h"
#include "edit/table_operations.h"

#include <benchmark/benchmark.h>

#include "full_database.h"

#include <functional>
#include <string>
#include <vector>

using namespace bv3;
using namespace bv3::edit;

namespace {

constexpr std::uint8_t model = 1;

const std::string& fullListText() {
    static const std::string text = channeldb::formatQnf(*bench::fullDatabase());
    return text;
}

void BM_LoadQnf(benchmark::State& state) {
    for (auto _ : state) {
        ChannelList list = ChannelList::fromQnfText(fullListText(), model, "full.qnf");
        benchmark::DoNotOptimize(list.findings().size());
    }
}
BENCHMARK(BM_LoadQnf)->Unit(benchmark::kMillisecond);

using Edit = std::function<void(ChannelList&)>;

// 100 services, every other one from the top of the video list, to its bottom.
void moveSelection(ChannelList& list) {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < 100; ++i) {
        rows.push_back(2 * i);
    }
    moveServicesToBottom(list, rows);
}

// Both lists by name, as one step.
void sortAll(ChannelList& list) {
    EditGroup step(list, "Sort all");
    sortServices(list, ServiceGroup::Video, 0, list.database().videoCount, ServiceSortKey::Name);
    sortServices(list, ServiceGroup::Audio, 0, list.database().audioCount, ServiceSortKey::Name);
}

void delete1000(ChannelList& list) {
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < 4000; row += 4) {
        rows.push_back(row);
    }
    deleteServices(list, rows);
}

void deleteProviderTakenOver(ChannelList& list) {
    deleteProvider(list, 0, 499);  // every provider row after 0 moves down; 8 services rewritten
}

void BM_Edit(benchmark::State& state, Edit edit) {
    ChannelList list = ChannelList::fromQnfText(fullListText(), model, "full.qnf");
    for (auto _ : state) {
        edit(list);
        state.PauseTiming();
        list.undo();
        state.ResumeTiming();
    }
    edit(list);
    state.counters["undo_bytes"] = static_cast<double>(list.history().memoryBytes());
    state.counters["findings"] = static_cast<double>(list.findings().size());
}

void BM_Undo(benchmark::State& state, Edit edit) {
    ChannelList list = ChannelList::fromQnfText(fullListText(), model, "full.qnf");
    for (auto _ : state) {
        state.PauseTiming();
        edit(list);
        state.ResumeTiming();
        list.undo();
    }
}

BENCHMARK_CAPTURE(BM_Edit, move_100_to_the_other_end, moveSelection)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Undo, move_100_to_the_other_end, moveSelection)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Edit, sort_4000_by_name, sortAll)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Undo, sort_4000_by_name, sortAll)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Edit, delete_1000, delete1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Undo, delete_1000, delete1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Edit, delete_provider_rewriting, deleteProviderTakenOver)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Undo, delete_provider_rewriting, deleteProviderTakenOver)->Unit(benchmark::kMillisecond);

// A small edit on the full list: what one step costs when it changes one row.
void renameOne(ChannelList& list) {
    renameService(list, 1234, "Renamed");
}
BENCHMARK_CAPTURE(BM_Edit, rename_one, renameOne)->Unit(benchmark::kMillisecond);

}  // namespace
