#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test twice, in a plain
# build and in an AddressSanitizer + UndefinedBehaviorSanitizer build; between the two it
# builds, checks, installs and removes the Debian packages. Then it cross-builds the Windows
# library and tests it under Wine, then briefly runs the fuzz targets under libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)
# Five builds of one tree (plain, packages, sanitizers, Windows, fuzzing) share their unchanged
# objects through ccache. Paths are taken relative to the checkout, so a fresh clone in another
# folder still finds what an earlier run compiled.
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBV3_BUILD_TESTS=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j "$jobs"

if [ "${BV3_SKIP_PACKAGES:-0}" != "1" ]; then
  # The Debian packages: built, checked by lintian, installed, used and removed.
  bash scripts/test-packages.sh
fi

if [ "${BV3_SKIP_SANITIZED:-0}" != "1" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBV3_SANITIZE=ON >/dev/null
  cmake --build build-asan
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi

if [ "${BV3_SKIP_WINDOWS:-0}" != "1" ]; then
  # The Windows library, cross-built with mingw-w64 (32- and 64-bit) and tested under Wine.
  bash scripts/test-windows.sh
fi

if [ "${BV3_SKIP_FUZZ:-0}" != "1" ]; then
  bash scripts/fuzz.sh "${BV3_FUZZ_SECONDS:-10}"
fi
