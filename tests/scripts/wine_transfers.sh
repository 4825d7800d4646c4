#!/usr/bin/env bash
# Whole transfers through BV3Dll.dll under Wine against the receiver simulator, and the serial
# component's Windows tests against an echoing line (scripts/test-windows.sh runs this after
# the other Windows tests; docs/windows.md describes the scene).
#
#   tests/scripts/wine_transfers.sh WIN32_BUILD LINUX_BUILD
#
# WIN32_BUILD holds the cross build (32- or 64-bit) and its Wine prefix (WINEPREFIX and the
# other Wine settings come from the caller), with COM1..COM4 and COM9 mapped onto
# WIN32_BUILD/wine-ports/lineN; this script points those links at the simulators'
# pseudo-terminals (line4 at nothing). LINUX_BUILD provides stb-sim, bv3, bv3-host and
# libBV3Dll.so, which run the same transfers under Linux for comparison and read back what the
# Windows download left in the simulator. BV3_WINE names the Wine loader (default `wine`),
# BV3_WINE_BITS the build's word size (32, the default, or 64).
#
# No file of the scene bears a name Windows reserves for a device (CON, PRN, AUX, NUL, COM1-9,
# LPT1-9, with any extension, in any folder): Wine, like Windows, opens "COM1.log" as the port
# COM1, and a program reading such a log would read the line instead.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
win=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
export WINEPREFIX="${WINEPREFIX:-$win/wineprefix}"
wine=${BV3_WINE:-wine}
bits=${BV3_WINE_BITS:-32}
work="$win/wine-transfers"
ports="$win/wine-ports"
rm -rf "$work"
mkdir -p "$work/shared" "$work/linux-ports" "$ports"
rm -f "$ports"/line*

children=()
stop_children() {
  local pid
  for pid in "${children[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  # The pseudo-terminals go with their simulators; a link left behind could later name
  # another program's terminal.
  rm -f "$ports"/line*
}
trap stop_children EXIT

failures=()
fail() {
  failures+=("$1")
  echo "FAILED: $1" >&2
}

# Test equipment: the pty modem-line shim, for the Wine processes of the tested build and
# (so that 64-bit programs the 32-bit Wine starts load it quietly) for 64-bit ones; the loader
# picks the copy by $LIB.
shim_targets=("x86_64-linux-gnu -m64")
[ "$bits" = 32 ] && shim_targets+=("i386-linux-gnu -m32")
for target in "${shim_targets[@]}"; do
  set -- $target
  mkdir -p "$work/shim/lib/$1"
  gcc "$2" -std=c11 -O2 -Wall -Wextra -Wpedantic -Werror -shared -fPIC \
    -o "$work/shim/lib/$1/libbv3-wine-pty.so" "$source_dir/tests/wine_pty_serial_shim.c" -ldl
done
# shellcheck disable=SC2016  # $LIB is for the dynamic loader to expand
shim="$work/shim/"'$LIB'"/libbv3-wine-pty.so"

# The receiver's memory: our sample list as model 4, variant 3 lays it out.
"$linux/bin/bv3" make-upload "$source_dir/samples/channels.qnf" "$work/shared/receiver-memory.raw" \
  --variant 3 --model 4 >/dev/null

# start_sim NAME LINK OPTIONS...: a simulator on a new pseudo-terminal, which LINK then names;
# its log is shared/NAME.log, where the Windows tests read it too. A simulator waits up to
# 30 minutes for each session: a whole upload under Wine took more than 10 on a loaded 2-core
# machine, and line2's last session (the read-back under Linux) comes after all of them.
start_sim() {
  local name=$1 link=$2
  shift 2
  "$linux/bin/stb-sim" --wait 1800 "$@" >"$work/$name.out" 2>"$work/shared/$name.log" &
  children+=($!)
  for _ in $(seq 100); do
    [ -s "$work/$name.out" ] && break
    sleep 0.1
  done
  local pty
  pty=$(head -1 "$work/$name.out")
  [ -n "$pty" ] || { cat "$work/shared/$name.log" >&2; echo "stb-sim $name did not start" >&2; exit 1; }
  ln -sfn "$pty" "$link"
}

# Receiver byte numbers: the announcement (7) and the mode frame's answers (7), the EEPROM
# block (9 + 8192 + 1), then 9 + 4096 + 1 per flash block. 9000 lies in flash block 0.
# Com1 serves the unload test's upload, cancelled at once, then the two uploads.
start_sim line1 "$ports/line1" --memory "$work/shared/receiver-memory.raw" --sessions 3
start_sim line2 "$ports/line2" --apply --memory-out "$work/applied-memory.raw" --sessions 3
start_sim line3 "$ports/line3" --memory "$work/shared/receiver-memory.raw" \
  --silence-after 9000 --silence-ms 3500 --hang-up-after 12000
python3 "$source_dir/tests/scripts/pty_echo.py" "$work/echo.name" 1800 &
children+=($!)
for _ in $(seq 100); do
  [ -s "$work/echo.name" ] && break
  sleep 0.1
done
ln -sfn "$(cat "$work/echo.name")" "$ports/line9"
# line4 stays unlinked: a port that maps to nothing. Wine opens a port through its link in
# dosdevices/, which its mount manager makes from the registry's mapping at start-up; made here
# as well, the links do not depend on when that happens.
mkdir -p "$WINEPREFIX/dosdevices"
for n in 1 2 3 4 9; do
  ln -sfn "$ports/line$n" "$WINEPREFIX/dosdevices/com$n"
done

shared_windows="Z:${work//\//\\}\\shared"
run_wine() {  # LOG PROGRAM ARGS...: a Windows test program with the shim preloaded, judged by its summary
  local log=$1
  shift
  LD_PRELOAD="$shim" BV3_WIN32_E2E_DIR="$shared_windows" BV3_WIN32_SERIAL_PORT=COM9 \
    timeout --kill-after=10 1800 bash "$source_dir/tests/scripts/wine_gtest.sh" "$wine" "$@" >"$log" 2>&1
}
e2e="$win/bin/test_windows_transfer_e2e.exe"
run_e2e() {  # NAME FILTER: one whole-transfer test in a Wine process of its own
  local name=$1 filter=$2
  if ! run_wine "$work/wine-$name.txt" "$e2e" --gtest_filter="$filter"; then
    cat "$work/wine-$name.txt"
    fail "$name under Wine"
    return 0
  fi
  if grep -q '^\[  SKIPPED \]' "$work/wine-$name.txt"; then
    grep '^\[  SKIPPED \]' "$work/wine-$name.txt" >&2
    fail "a Windows transfer test was skipped ($name)"
  fi
}

# Each test in a Wine process of its own: Wine 8.0 leaves a thread of each pending port wait
# in its loader's TLS list, and a process that loads BV3Dll.dll again after two transfers
# crashes in the loader (docs/windows.md). No port is shared by two processes at once: Wine
# lets both open it and the simulator's bytes would be split between them. Com1's tests run in
# turn beside the others, and each dialog has a place on the screen of its own.
start=$(date +%s)
(
  run_e2e unload '*TheLibraryUnloads*'
  run_e2e upload '*AnUpload*'
  ((${#failures[@]} == 0))
) &
com1_chain=$!
children+=($com1_chain)
run_e2e missing-port '*APortThatMapsToNothing*'
run_e2e download '*ADownload*'
run_e2e hang-up '*AReceiverThatFallsSilent*'
if ! run_wine "$work/wine-serial.txt" "$win/bin/test_windows_serial.exe" --gtest_color=no; then
  cat "$work/wine-serial.txt"
  fail "test_windows_serial on an echoing pseudo-terminal"
fi
grep -E '^\[  SKIPPED \]|skipped' "$work/wine-serial.txt" | sed 's/^/test_windows_serial: /' || true
# The floor of the table of times: Wine's serial emulation alone, one byte each way, on the
# echoing line (beside the upload, as the upload runs beside the other tests): as plainly as
# the Windows API allows, and the library's way (event wait, status, read) on one thread.
floor=()
for mode in plain events; do
  if run_wine "$work/wine-floor-$mode.txt" "$win/bin/wine_serial_floor.exe" COM9 5000 "$mode"; then
    floor+=("$(sed -n 's/^bv3-floor: //p' "$work/wine-floor-$mode.txt")")
  else
    cat "$work/wine-floor-$mode.txt"
    fail "wine_serial_floor $mode on the echoing line"
  fi
done
wait "$com1_chain" || fail "the unload test and the uploads on Com1 under Wine"
echo "Wine transfers: $(($(date +%s) - start)) s"
grep -h '^wine-gtest:' "$work"/wine-*.txt || true

# What the download left in the simulator, read back by an upload through libBV3Dll.so.
timed() {  # SECONDS_VARIABLE COMMAND...: runs the command, keeping its wall time
  local variable=$1 begin status=0
  shift
  begin=$(date +%s%N)
  "$@" || status=$?
  local tenths=$((($(date +%s%N) - begin) / 100000000))
  printf -v "$variable" '%d.%d' $((tenths / 10)) $((tenths % 10))
  return "$status"
}
host() {  # a transfer through libBV3Dll.so, as a host program makes it
  QT_QPA_PLATFORM=offscreen BV3_PORTS_DIR="$work/linux-ports" \
    "$linux/bin/bv3-host" "$linux/lib/libBV3Dll.so" "$@" >>"$work/linux.txt" 2>&1
}
grep -q "applied" "$work/shared/line2.log" || fail "the simulator applied no download image: $(cat "$work/shared/line2.log")"
ln -sfn "$(head -1 "$work/line2.out")" "$work/linux-ports/Com1"
linux_upload=""
timed linux_upload host upload 0 0 "$work/linux-upload.raw" || fail "the upload under Linux"
if ! cmp -s "$work/linux-upload.raw" "$work/applied-memory.raw"; then
  fail "the memory read back under Linux differs from what the simulator holds after the download"
fi
"$linux/bin/bv3" raw2qnf "$work/linux-upload.raw" "$work/read-back.qnf" --variant 3 --model 4 >/dev/null ||
  fail "the memory read back under Linux does not turn into a channel list"
cmp -s "$work/read-back.qnf" "$source_dir/samples/channels.qnf" ||
  fail "the list read back after the download differs from samples/channels.qnf"

# The same download through libBV3Dll.so, for the table of times.
start_sim linux-download "$work/linux-ports/Com2" --apply
linux_download=""
timed linux_download host download 1 0 "$work/shared/channels.qdf" || fail "the download under Linux"
grep -q "applied" "$work/shared/linux-download.log" || fail "the Linux download was not applied"

# Each cancel in the middle happened in the middle of its exchange: the simulator saw the PC
# leave before the whole upload (on line1, after the unload test's cancel at once) or the
# whole download (on line2).
outcomes() { grep -E "closed the line before the end|upload finished|download finished" "$work/shared/$1.log" || true; }
before_finish=$(outcomes line1 | grep -B1 -m1 "upload finished" | head -1 || true)
[[ "$before_finish" == *"closed the line"* ]] ||
  fail "the upload on line1 was not cancelled in the middle before the whole one: $(outcomes line1 | tr '\n' ' ')"
first=$(outcomes line2 | head -1)
[[ "$first" == *"closed the line"* ]] || fail "the first download on line2 was not cancelled in the middle: ${first:-nothing}"

# Hang-up: the simulator's side of the story.
grep -q "hanging up" "$work/shared/line3.log" || fail "the simulator on line3 never hung up: $(cat "$work/shared/line3.log")"

wine_upload=$(sed -n 's/^bv3-time: wine-upload //p' "$work/wine-upload.txt")
wine_download=$(sed -n 's/^bv3-time: wine-download //p' "$work/wine-download.txt")
image_size=$(stat -c %s "$work/shared/channels.qdf" 2>/dev/null || echo "?")
echo "Whole transfers, this run (wall time, s):"
printf '  %-44s %8s %8s\n' "" "Wine" "Linux"
printf '  %-44s %8s %8s\n' "UploadData, 401408 bytes" "${wine_upload:-?}" "${linux_upload:-?}"
printf '  %-44s %8s %8s\n' "DownloadData, $image_size-byte image of QnfToQDF" "${wine_download:-?}" "${linux_download:-?}"
echo "  Wine's serial emulation alone (wine_serial_floor, 1 byte each way):"
printf '    %s\n' "${floor[@]}"

if ((${#failures[@]} > 0)); then
  echo "Windows transfer tests failed:" >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
fi
