#!/usr/bin/env bash
# Compression throughput: the two engines (bench_compress, Google Benchmark) and, on exactly
# the same corpora, gzip -6 / gzip -d / lz4 -1 / lz4 -d as reference points.
#
#   bench/compress_reference.sh [BUILD_DIR]     (default build-bench, configured here if absent)
#
# Figures are MiB of uncompressed data per second of CPU time (the machine may be shared, so
# CPU time is steadier than wall time; Google Benchmark's bytes_per_second is per CPU second
# too). The reference tools run as processes: the CPU time of a run on an empty input (start-up,
# no data) is taken off, averaged over many runs. lz4's own in-memory benchmark (lz4 -b1) is
# printed as a check.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBV3_BUILD_BENCH=ON -DBV3_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target bench_compress bench_compress_corpus >/dev/null
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
"$build/bench/bench_compress_corpus" "$corpus"

echo "== engines (bench_compress) =="
"$build/bench/bench_compress" --benchmark_min_time=0.5 --benchmark_counters_tabular=true

echo
echo "== reference tools on the same corpora =="
python3 - "$corpus" <<'PY'
import os, resource, subprocess, sys

folder = sys.argv[1]
names = ["text_64k", "text_256k", "text_1m", "random_1m", "onebyte_1m"]
empty = os.path.join(folder, "empty")
open(empty, "wb").close()
for tool, suffix in (("gzip", ".gz"), ("lz4", ".lz4")):
    subprocess.run([tool, "-q", "-c", empty], stdout=open(empty + suffix, "wb"), check=True)

def cpu(command, runs=40):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    for _ in range(runs):
        subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime) / runs

commands = {
    "gzip -6": lambda f: ["gzip", "-6", "-c", f],
    "gzip -d": lambda f: ["gzip", "-d", "-c", f + ".gz"],
    "lz4 -1": lambda f: ["lz4", "-q", "-1", "-c", f],
    "lz4 -d": lambda f: ["lz4", "-q", "-d", "-c", f + ".lz4"],
}
print(f"{'corpus':12} " + " ".join(f"{c:>10}" for c in commands) + "   (MiB/s)")
for name in names:
    path = os.path.join(folder, name)
    size = os.path.getsize(path)
    subprocess.run(["gzip", "-6", "-c", path], stdout=open(path + ".gz", "wb"), check=True)
    subprocess.run(["lz4", "-q", "-1", "-c", path], stdout=open(path + ".lz4", "wb"), check=True)
    row = []
    for label, make in commands.items():
        spent = cpu(make(path)) - cpu(make(empty))
        row.append(size / max(spent, 1e-6) / 1048576)
    print(f"{name:12} " + " ".join(f"{v:10.1f}" for v in row))
print()
print("lz4 -b1 (lz4's own in-memory benchmark) on text_1m:")
result = subprocess.run(["lz4", "-b1", "-i3", os.path.join(folder, "text_1m")], capture_output=True, text=True)
print((result.stdout + result.stderr).replace("\r", "\n").strip().splitlines()[-1])
PY
