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
failed=()
for fuzzer in build-fuzz/fuzz/*_fuzzer; do
  name=$(basename "$fuzzer")
  corpus="build-fuzz/corpus/$name"
  log="build-fuzz/$name.log"
  mkdir -p "$corpus"
  [ -d "fuzz/corpus/$name" ] && cp -n fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
  echo "fuzzing $name for ${seconds}s"
  # A target that finds a crash stops with a non-zero status; its whole report (the
  # sanitizer's stack, the input that did it) is what a reader needs, not its last lines.
  if (cd build-fuzz && "../$fuzzer" -max_total_time="$seconds" -print_final_stats=0 "corpus/$name") >"$log" 2>&1; then
    tail -n 3 "$log"
  else
    cat "$log"
    failed+=("$name")
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found crashes in: ${failed[*]} (crashing inputs are in build-fuzz/)" >&2
  exit 1
fi
