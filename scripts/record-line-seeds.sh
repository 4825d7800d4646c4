#!/usr/bin/env bash
# Records a few short real transfers between bv3 and stb-sim and keeps what crossed the line as
# seeds for the line fuzzers in fuzz/corpus/: the receiver's side as a line script for
# upload_line_fuzzer and download_line_fuzzer, the PC's bytes for receiver_line_fuzzer. Each
# fuzzer's first bytes choose the simulated receiver's options; the simulator here runs with
# the same ones, so a seed replays the transfer it was recorded from.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${BV3_BIN:-build/bin}
corpus=fuzz/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs stb-sim with the given options and bv3 with the given verb against it.
exchange() {
  local verb=$1 file=$2
  shift 2
  "$bin/stb-sim" --wait 30 "$@" >"$work/sim.out" 2>"$work/sim.err" &
  local sim=$!
  for _ in $(seq 500); do [ -s "$work/sim.out" ] && break; sleep 0.02; done
  "$bin/bv3" "$verb" "$file" --port "$(head -n 1 "$work/sim.out")" --quiet --timeout 20 || true
  wait "$sim" || true
}

# header BYTES... : the option bytes a fuzzer reads first, as octal escapes for printf.
seed() {
  local target=$1 name=$2 header=$3 body=$4
  { printf "$header"; cat "$body"; } >"$corpus/$target/$name"
  echo "$corpus/$target/$name: $(stat -c %s "$corpus/$target/$name") bytes"
}

# download_line_fuzzer: file size 1 + 34 x 37 = 1259, ranges of 1 + 31 x 16 = 497 bytes.
head -c 1259 /dev/urandom >"$work/file.bin"
exchange download "$work/file.bin" --download-size 1259 --request-size 497 --record-line "$work/line"
seed download_line_fuzzer recorded_download '\042\037' "$work/line"
exchange download "$work/file.bin" --download-size 1259 --request-size 497 --garbage-after 40 --garbage-count 5 \
  --record-line "$work/line"
seed download_line_fuzzer recorded_download_with_garbage '\042\037' "$work/line"

# upload_line_fuzzer: the sample memory and the default options; the script has no header. An
# upload is 401,408 bytes: the recordings are its start, up to a hang-up or a silence the
# watchdog ends.
exchange upload "$work/up.raw" --hang-up-after 3000 --record-line "$work/line"
seed upload_line_fuzzer recorded_upload_start '' "$work/line"
exchange upload "$work/up.raw" --silence-after 1500 --silence-ms 3200 --hang-up-after 6000 --record-line "$work/line"
seed upload_line_fuzzer recorded_upload_block_restart '' "$work/line"

# receiver_line_fuzzer: byte 0 = 20 gives a download of 1 + 20 x 61 = 1221 bytes in ranges of
# 1 + 4 x 100 = 401; an upload ignores it.
head -c 1221 /dev/urandom >"$work/file.bin"
exchange download "$work/file.bin" --download-size 1221 --request-size 401 --record-pc "$work/pc"
seed receiver_line_fuzzer recorded_download_pc '\024' "$work/pc"
exchange upload "$work/up.raw" --hang-up-after 3000 --record-pc "$work/pc"
seed receiver_line_fuzzer recorded_upload_pc '\000' "$work/pc"
