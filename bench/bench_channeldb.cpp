// RawToQnf of a full receiver, and the way back (QNF reader + raw writer), in memory and
// through files. The receiver is model 1 (the only one whose lists hold 4000 services) with
// every table at its capacity: 4000 services, 1000 TS, 500 networks, 500 providers and all
// eight favourite lists full.
#include "channeldb/qnf_reader.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_reader.h"
#include "channeldb/raw_to_qnf.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include "full_database.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

using namespace bv3::channeldb;
using bv3::bench::fullDatabase;

namespace {

constexpr std::uint8_t model = 1;
constexpr std::uint8_t variant = 3;

const std::vector<std::uint8_t>& fullUpload() {
    static const std::vector<std::uint8_t> upload = [] {
        const auto db = fullDatabase();
        return composeUploadedImage(buildConfigImage(*db, variant, model), buildServiceImage(*db, model), model);
    }();
    return upload;
}

const std::string& fullText() {
    static const std::string text = [] {
        ChannelDatabase db;
        readRawImage(fullUpload(), variant, model, db);
        return formatQnf(db);
    }();
    return text;
}

std::filesystem::path scratch(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("bv3-bench-" + std::to_string(::getpid()) + "-" + name);
}

void BM_RawToQnfInMemory(benchmark::State& state) {
    const auto& upload = fullUpload();
    for (auto _ : state) {
        auto db = std::make_unique<ChannelDatabase>();
        readRawImage(upload, variant, model, *db);
        benchmark::DoNotOptimize(formatQnf(*db));
    }
}
BENCHMARK(BM_RawToQnfInMemory)->Unit(benchmark::kMillisecond);

void BM_RawToQnfFiles(benchmark::State& state) {
    const auto raw = scratch("upload.raw");
    const auto qnf = scratch("list.qnf");
    writeImageFile(raw.string(), fullUpload());
    for (auto _ : state) {
        rawToQnf(raw.string(), qnf.string(), variant, model);
    }
    std::filesystem::remove(raw);
    std::filesystem::remove(qnf);
}
BENCHMARK(BM_RawToQnfFiles)->Unit(benchmark::kMillisecond);

void BM_QnfReaderAndRawWriterInMemory(benchmark::State& state) {
    const auto& text = fullText();
    for (auto _ : state) {
        auto db = std::make_unique<ChannelDatabase>();
        std::istringstream in(text);
        readQnf(in, *db, "bench.qnf");
        benchmark::DoNotOptimize(buildConfigImage(*db, variant, model));
        benchmark::DoNotOptimize(buildServiceImage(*db, model));
    }
    state.counters["qnf_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_QnfReaderAndRawWriterInMemory)->Unit(benchmark::kMillisecond);

void BM_QnfReaderAndRawWriterFiles(benchmark::State& state) {
    const auto qnf = scratch("in.qnf");
    const auto config = scratch("Config.raw");
    const auto service = scratch("Service.raw");
    {
        std::ofstream out(qnf, std::ios::binary);
        out << fullText();
    }
    for (auto _ : state) {
        auto db = std::make_unique<ChannelDatabase>();
        readQnfFile(qnf.string(), *db);
        writeImageFile(config.string(), buildConfigImage(*db, variant, model));
        writeImageFile(service.string(), buildServiceImage(*db, model));
    }
    for (const auto& path : {qnf, config, service}) {
        std::filesystem::remove(path);
    }
}
BENCHMARK(BM_QnfReaderAndRawWriterFiles)->Unit(benchmark::kMillisecond);

// The pieces, to say where the time goes.
void BM_RawReaderOnly(benchmark::State& state) {
    for (auto _ : state) {
        auto db = std::make_unique<ChannelDatabase>();
        readRawImage(fullUpload(), variant, model, *db);
        benchmark::DoNotOptimize(db.get());
    }
}
BENCHMARK(BM_RawReaderOnly)->Unit(benchmark::kMillisecond);

void BM_QnfReaderOnly(benchmark::State& state) {
    for (auto _ : state) {
        auto db = std::make_unique<ChannelDatabase>();
        std::istringstream in(fullText());
        readQnf(in, *db, "bench.qnf");
        benchmark::DoNotOptimize(db.get());
    }
}
BENCHMARK(BM_QnfReaderOnly)->Unit(benchmark::kMillisecond);

}  // namespace
