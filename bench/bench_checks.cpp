// The integrity checks of a full receiver: model 1 (the only one whose lists hold 4000
// services) with every table at its capacity, as an upload and as its channel list.
#include "channeldb/image_check.h"
#include "channeldb/qnf_check.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"

#include <benchmark/benchmark.h>

#include "full_database.h"

#include <memory>
#include <string>
#include <vector>

using namespace bv3::channeldb;
using bv3::bench::fullDatabase;

namespace {

constexpr std::uint8_t model = 1;
constexpr std::uint8_t variant = 3;

void BM_CheckUploadedImage(benchmark::State& state) {
    const auto db = fullDatabase();
    const auto upload =
        composeUploadedImage(buildConfigImage(*db, variant, model), buildServiceImage(*db, model), model);
    for (auto _ : state) {
        const CheckReport report = checkUploadedImage(upload, variant, model);
        if (!report.passed()) {
            state.SkipWithError("the full receiver fails its checks");
        }
    }
}
BENCHMARK(BM_CheckUploadedImage)->Unit(benchmark::kMillisecond);

void BM_CheckChannelList(benchmark::State& state) {
    const std::string text = formatQnf(*fullDatabase());
    for (auto _ : state) {
        const CheckReport report = checkChannelListText(text, model, "bench.qnf");
        if (!report.passed()) {
            state.SkipWithError("the full list fails its checks");
        }
    }
    state.counters["qnf_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_CheckChannelList)->Unit(benchmark::kMillisecond);

}  // namespace
