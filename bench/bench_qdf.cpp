// The download build's costs: laying out and encoding the sample channel list's images, reading
// an image back, and the whole QnfToQDF build with the stand-in encoder.
#include "channeldb/channel_database.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/raw_writer.h"
#include "qdf_reader.h"
#include "qdf_writer.h"
#include "qdfbuild/qdf_build.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

const std::string sampleList = std::string(BV3_SOURCE_DIR) + "/samples/channels.qnf";

std::vector<bv3::qdf::BlockInput> sampleBlocks(std::uint8_t modelCode) {
    auto database = std::make_unique<bv3::channeldb::ChannelDatabase>();
    bv3::channeldb::readQnfFile(sampleList, *database);
    auto config = bv3::channeldb::buildConfigImage(*database, 0, modelCode);
    auto service = bv3::channeldb::buildServiceImage(*database, modelCode);
    using bv3::qdf::BlockEncoding;
    return {{.address = 0, .encoding = BlockEncoding::lzh, .data = config},
            {.address = 0x2000, .encoding = BlockEncoding::lzh, .data = config},
            {.address = modelCode == 1 ? 0xA0000u : 0xB0000u, .encoding = BlockEncoding::lzh, .data = service}};
}

const bv3::qdf::ImageHeader header{.firstId = 0x12345000u, .lastId = 0x12345FFFu, .loaderVersion = 3};

void BM_WriteQdfImage(benchmark::State& state) {
    const auto blocks = sampleBlocks(static_cast<std::uint8_t>(state.range(0)));
    std::size_t bytes = 0;
    for (const auto& block : blocks) {
        bytes += block.data.size();
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(bv3::qdf::writeQdfImage(header, blocks));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WriteQdfImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Bytes per second count the decoded (original) bytes, as for the writer.
void BM_DecodeQdfImage(benchmark::State& state) {
    const auto blocks = sampleBlocks(static_cast<std::uint8_t>(state.range(0)));
    std::size_t bytes = 0;
    for (const auto& block : blocks) {
        bytes += block.data.size();
    }
    const auto image = bv3::qdf::writeQdfImage(header, blocks);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bv3::qdf::decodeQdfImage(image));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_DecodeQdfImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole build as QnfToQDF runs it, temporaries and encoder included, in a scratch directory.
void BM_QdfBuild(benchmark::State& state) {
    const auto previous = std::filesystem::current_path();
    const auto scratch = std::filesystem::temp_directory_path() / "bv3-bench-qdf";
    std::filesystem::create_directories(scratch);
    std::filesystem::current_path(scratch);
    for (auto _ : state) {
        std::ifstream qnf(sampleList, std::ios::binary);
        bv3::qdfbuild::runQdfBuild(qnf, {.qnfName = sampleList,
                                         .qdfPath = "bench.qdf",
                                         .modelCode = static_cast<std::uint8_t>(state.range(0)),
                                         .headerId = 0x12345678u,
                                         .encoderLibrary = std::string(BV3_BINARY_DIR) + "/lib/libtqrdll12.so"});
    }
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(scratch);
}
BENCHMARK(BM_QdfBuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
