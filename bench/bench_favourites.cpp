// The favourites on a full receiver (4000 services, every favourite list full, model 1): what
// a service list's Fav column costs after each change (which lists hold each service), and a
// drop of favourite entries with its undo.
#include "channeldb/qnf_writer.h"
#include "edit/channel_list.h"
#include "edit/favourite_membership.h"
#include "edit/favourite_order.h"

#include <benchmark/benchmark.h>

#include "full_database.h"

#include <string>
#include <vector>

using namespace bv3;
using namespace bv3::edit;

namespace {

ChannelList fullList() {
    static const std::string text = channeldb::formatQnf(*bench::fullDatabase());
    return ChannelList::fromQnfText(text, 1, "full.qnf");
}

void BM_FavouriteListsOfServices(benchmark::State& state) {
    const ChannelList list = fullList();
    for (auto _ : state) {
        benchmark::DoNotOptimize(favouriteListsOfServices(list.database()).data());
    }
}
BENCHMARK(BM_FavouriteListsOfServices)->Unit(benchmark::kMicrosecond);

// Every other entry of a full list dropped at its end, then undone.
void BM_DropHalfAFavouriteList(benchmark::State& state) {
    ChannelList list = fullList();
    std::vector<std::size_t> every;
    for (std::size_t i = 0; i < list.database().favCount[0][0]; i += 2) {
        every.push_back(i);
    }
    for (auto _ : state) {
        moveFavouritesTo(list, 0, 0, every, list.database().favCount[0][0]);
        list.undo();
    }
}
BENCHMARK(BM_DropHalfAFavouriteList)->Unit(benchmark::kMicrosecond);

}  // namespace
