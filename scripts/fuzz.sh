#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each for the given seconds
# (default 60), starting from its saved inputs. New crashing inputs land in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBV3_LIBFUZZER=ON \
  -DBV3_BUILD_TESTS=OFF -DBV3_SANITIZE=ON >/dev/null
cmake --build build-fuzz
shopt -s nullglob
for fuzzer in build-fuzz/fuzz/*_fuzzer; do
  name=$(basename "$fuzzer")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  [ -d "fuzz/corpus/$name" ] && cp -n fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
  echo "fuzzing $name for ${seconds}s"
  (cd build-fuzz && "../$fuzzer" -max_total_time="$seconds" -print_final_stats=0 "corpus/$name" 2>&1 | tail -n 3)
done
