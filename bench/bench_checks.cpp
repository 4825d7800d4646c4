// The integrity checks of a full receiver: model 1 (the only one whose lists hold 4000
// services) with every table at its capacity, as an upload and as its channel list.
#include "channeldb/image_check.h"
#include "channeldb/qnf_check.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

using namespace bv3::channeldb;

namespace {

constexpr std::uint8_t model = 1;
constexpr std::uint8_t variant = 3;

std::unique_ptr<ChannelDatabase> fullDatabase() {
    auto db = std::make_unique<ChannelDatabase>();
    db->tsCount = tsCapacity;
    db->networkCount = networkCapacity;
    db->providerCount = providerCapacity;
    for (std::size_t i = 0; i < networkCapacity; ++i) {
        db->networks[i].netName = "Network " + std::to_string(i);
        db->providers[i].provName = "Provider " + std::to_string(i);
    }
    for (std::size_t i = 0; i < tsCapacity; ++i) {
        db->transportStreams[i].networkIndex = static_cast<std::uint32_t>(i % networkCapacity);
    }
    for (std::size_t i = 0; i < serviceCapacity; ++i) {
        ServiceRecord& s = db->services[i];
        s.serviceKind = i < serviceCapacity / 2 ? 0 : 1;
        s.tsIndex = static_cast<std::uint32_t>(i % tsCapacity);
        s.providerIndex = static_cast<std::uint32_t>(i % providerCapacity);
        s.channelNumber = static_cast<std::uint16_t>(i + 1);
        s.svcName = "Service number " + std::to_string(i);
    }
    db->videoCount = serviceCapacity / 2;
    db->audioCount = serviceCapacity / 2;
    for (auto& group : db->favCount) {
        group.fill(favouriteEntryCapacity);
    }
    return db;
}

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
