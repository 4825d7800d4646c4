#!/usr/bin/env bash
# The main job: builds the tools and runs the demo. It grows with the system.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
bv3=build/bin/bv3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A receiver holding our sample list (model 4, configuration variant 3), as an upload from it
# would leave the file, then RawToQnf back to the editable list.
"$bv3" make-upload samples/channels.qnf "$work/upload.raw" --variant 3 --model 4
"$bv3" raw2qnf "$work/upload.raw" "$work/channels.qnf" --variant 3 --model 4

section_lines() { # counts the data lines of one [SECTION] of a QNF file
  tr -d '\r' <"$2" | awk -v tag="[$1]" '/^\[/{on=($0==tag); next} on{n++} END{print n+0}'
}
echo "RawToQnf of $(stat -c %s "$work/upload.raw") bytes:" \
  "$(grep -c $'^V\t' "$work/channels.qnf") video and $(grep -c $'^A\t' "$work/channels.qnf") audio services," \
  "$(section_lines TS "$work/channels.qnf") TS, $(section_lines NETWORK "$work/channels.qnf") networks," \
  "$(section_lines PROVIDER "$work/channels.qnf") providers, $(section_lines FAVORITE "$work/channels.qnf") favourites"
if cmp -s samples/channels.qnf "$work/channels.qnf"; then
  echo "the list read back from the image is byte-identical to samples/channels.qnf"
else
  echo "the list read back differs from samples/channels.qnf" >&2
  exit 1
fi
