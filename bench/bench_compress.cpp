// Throughput of the two engines (bytes of uncompressed data per second), compress and
// decompress, on each corpus; and of the whole component in stream mode over memory.
#include "compress/lzh.h"
#include "compress/lzrw1.h"
#include "compress/lzrw1kh.h"
#include "compress_corpus.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using bv3::bench::corpora;
using Bytes = std::vector<std::uint8_t>;

void lzhEncode(benchmark::State& state) {
    const Bytes input =
        corpora[static_cast<std::size_t>(state.range(0))].make(corpora[static_cast<std::size_t>(state.range(0))].size);
    std::size_t coded = 0;
    for (auto _ : state) {
        const Bytes code = bv3::compress::lzhEncode(input);
        coded = code.size();
        benchmark::DoNotOptimize(code.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    state.counters["ratio_pct"] = 100.0 * static_cast<double>(coded) / static_cast<double>(input.size());
}

void lzhDecode(benchmark::State& state) {
    const Bytes input =
        corpora[static_cast<std::size_t>(state.range(0))].make(corpora[static_cast<std::size_t>(state.range(0))].size);
    const Bytes code = bv3::compress::lzhEncode(input);
    for (auto _ : state) {
        const Bytes restored = bv3::compress::lzhDecode(code, input.size());
        benchmark::DoNotOptimize(restored.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

// Block by block into one reused buffer, as the component does.
void lzrCompress(benchmark::State& state) {
    const Bytes input =
        corpora[static_cast<std::size_t>(state.range(0))].make(corpora[static_cast<std::size_t>(state.range(0))].size);
    bv3::compress::TLZR engine;
    Bytes block(bv3::compress::TLZR::maxBlockInput + bv3::compress::TLZR::compressSlack);
    std::size_t coded = 0;
    for (auto _ : state) {
        coded = 0;
        for (std::size_t at = 0; at < input.size(); at += bv3::compress::TLZR::maxBlockInput) {
            const std::size_t n = std::min(bv3::compress::TLZR::maxBlockInput, input.size() - at);
            coded += engine.CompressBlock(std::span(input).subspan(at, n), block);
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    state.counters["ratio_pct"] = 100.0 * static_cast<double>(coded) / static_cast<double>(input.size());
}

void lzrDecompress(benchmark::State& state) {
    const Bytes input =
        corpora[static_cast<std::size_t>(state.range(0))].make(corpora[static_cast<std::size_t>(state.range(0))].size);
    bv3::compress::TLZR engine;
    std::vector<Bytes> blocks;
    Bytes scratch(bv3::compress::TLZR::maxBlockInput + bv3::compress::TLZR::compressSlack);
    for (std::size_t at = 0; at < input.size(); at += bv3::compress::TLZR::maxBlockInput) {
        const std::size_t n = std::min(bv3::compress::TLZR::maxBlockInput, input.size() - at);
        const std::uint16_t length = engine.CompressBlock(std::span(input).subspan(at, n), scratch);
        blocks.emplace_back(scratch.begin(), scratch.begin() + length);
    }
    Bytes output(bv3::compress::TLZR::maxBlockInput);
    for (auto _ : state) {
        for (const Bytes& block : blocks) {
            benchmark::DoNotOptimize(engine.DecompressBlock(block, output));
        }
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

// The component end to end (container, buffered callbacks, memory streams).
void container(benchmark::State& state, bv3::compress::TCompressMode mode, bool restore) {
    const Bytes input = bv3::bench::qnfText(1024 * 1024);
    bv3::compress::Tlzrw1 component;
    component.SetUseStream(true);
    component.SetCompressMode(mode);
    bv3::compress::TMemoryStream source(input);
    bv3::compress::TMemoryStream packed;
    component.SetInputStream(&source);
    component.SetOutputStream(&packed);
    component.Compress();
    for (auto _ : state) {
        bv3::compress::TMemoryStream in(restore ? packed.Bytes() : input);
        bv3::compress::TMemoryStream out;
        component.SetInputStream(&in);
        component.SetOutputStream(&out);
        benchmark::DoNotOptimize(restore ? component.Decompress() : component.Compress());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

void applyCorpora(benchmark::internal::Benchmark* benchmark) {
    for (std::size_t i = 0; i < corpora.size(); ++i) {
        benchmark->Arg(static_cast<std::int64_t>(i));
    }
    benchmark->ArgName("corpus")->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(lzhEncode)->Apply(applyCorpora);
BENCHMARK(lzhDecode)->Apply(applyCorpora);
BENCHMARK(lzrCompress)->Apply(applyCorpora);
BENCHMARK(lzrDecompress)->Apply(applyCorpora);
BENCHMARK_CAPTURE(container, good_compress_text_1m, bv3::compress::TCompressMode::Good, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(container, good_decompress_text_1m, bv3::compress::TCompressMode::Good, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(container, fast_compress_text_1m, bv3::compress::TCompressMode::Fast, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(container, fast_decompress_text_1m, bv3::compress::TCompressMode::Fast, true)
    ->Unit(benchmark::kMillisecond);
