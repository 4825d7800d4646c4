// The cost of a save that survives a power cut: the same replacement of a file the size of a
// receiver's upload (401,408 bytes) and of a channel list (about 60 KB), once with the flushes
// to the disk and once with them left out. The difference is what durability costs per save;
// it depends on the disk under the temporary folder (set TMPDIR to measure another one).
#include "safe_write/file_system_operations.h"
#include "safe_write/safe_write.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace bv3::safewrite;

// The system's rename without any flush: a save as it was before it became durable.
class NoFlushOperations final : public FileSystemOperations {
public:
    int syncFile(std::FILE*) override { return 0; }
    int replace(const fs::path& from, const fs::path& to) override { return systemFileOperations().replace(from, to); }
    int syncFolder(const fs::path&) override { return 0; }
};

void replaceRepeatedly(benchmark::State& state, bool durable) {
    const fs::path folder = fs::temp_directory_path() / ("bv3-bench-safe-write-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string target = (folder / "saved.bin").string();
    const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(state.range(0)), 0x5A);
    NoFlushOperations noFlush;
    std::optional<ScopedFileOperations> substitute;
    if (!durable) {
        substitute.emplace(noFlush);
    }
    for (auto _ : state) {
        writeFileSafely(target, std::span<const std::uint8_t>(bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    substitute.reset();
    fs::remove_all(folder);
}

void BM_DurableSave(benchmark::State& state) {
    replaceRepeatedly(state, true);
}
void BM_SaveWithoutFlush(benchmark::State& state) {
    replaceRepeatedly(state, false);
}

BENCHMARK(BM_DurableSave)->Arg(60000)->Arg(401408)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveWithoutFlush)->Arg(60000)->Arg(401408)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
