#!/usr/bin/env bash
# The main job: builds the tools and runs the demo. It grows with the system.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
build/bin/bv3 --help
