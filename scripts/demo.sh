#!/usr/bin/env bash
# The main job: builds the tools and runs the editor's whole cycle once against the receiver
# simulator (model 4, configuration variant 3): upload the receiver's memory, turn it into the
# editable channel list, edit it, show what the edit changes (bv3 diff), then send it with
# bv3 send: a backup of what the receiver holds, the download image built and sent, and a
# verification that the receiver now holds exactly the edited list.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only what the build and the cycle need; the test command installs the rest.
bash scripts/deps.sh build
echo "== building (build/)"
# Without GoogleTest (a machine that has only run the demo) the test suites are left out of
# the build; scripts/test.sh turns them on again.
tests=OFF
if dpkg-query -W -f='${Status}' libgtest-dev 2>/dev/null | grep -q "install ok installed"; then tests=ON; fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBV3_BUILD_TESTS="$tests" >/dev/null
cmake --build build --target bv3 stb-sim tqrdll12 | grep -v '^\[' || true
bv3=build/bin/bv3
variant=3
model=4
work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

section_lines() { # counts the data lines of one [SECTION] of a QNF file
  tr -d '\r' <"$2" | awk -v tag="[$1]" '/^\[/{on=($0==tag); next} on{n++} END{print n+0}'
}
describe() { # a one-line summary of a QNF list
  echo "$(grep -c $'^V\t' "$1") video and $(grep -c $'^A\t' "$1") audio services," \
    "$(section_lines TS "$1") TS, $(section_lines NETWORK "$1") networks," \
    "$(section_lines PROVIDER "$1") providers, $(section_lines FAVORITE "$1") favourites"
}
size() { stat -c %s "$1"; }
step() { echo; echo "== $*"; }

# The edits a user makes in the editor, made with `bv3 edit` (each option is one of the
# editor's operations, applied in order; "@Name" names a service or provider by its name):
# rename "Lumen Two", let "Orbis Kids" and "Polaris 2" change places (and renumber the video
# list in its new order, as this model keeps its lists in channel order), add service 7 to
# the first video favourite list, set the menu's time value to 1:30, and drop the provider
# "Vantage Group", whose services go to "Orbis TV".
edit_list() { # IN OUT
  "$bv3" edit "$1" "$2" --model "$model" \
    --rename "@Lumen Two=Lumen Zwei" \
    --move "@Polaris 2:4" --move "@Orbis Kids:10" --renumber video \
    --fav-add 0:0:7 \
    --menu-time 1:30 \
    --delete-provider "@Vantage Group:@Orbis TV"
}

step "1. a receiver holding our sample list (model $model, variant $variant)"
"$bv3" make-upload samples/channels.qnf "$work/start.raw" --variant "$variant" --model "$model"
"$bv3" raw2qnf "$work/start.raw" "$work/start.qnf" --variant "$variant" --model "$model"
echo "RawToQnf of the receiver's $(size "$work/start.raw")-byte memory: $(describe "$work/start.qnf")"
if ! cmp -s samples/channels.qnf "$work/start.qnf"; then
  echo "the list read back from the memory differs from samples/channels.qnf" >&2
  exit 1
fi
echo "the list read back is byte-identical to samples/channels.qnf"

step "2. the receiver simulator (four sessions: upload, then bv3 send's backup, download and verification)"
build/bin/stb-sim --memory "$work/start.raw" --apply --sessions 4 --memory-out "$work/sim-memory.raw" --wait 60 \
  >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 100); do
  [ -s "$work/sim.out" ] && break
  sleep 0.1
done
port=$(head -1 "$work/sim.out")
[ -n "$port" ] || { echo "the simulator did not start:" >&2; cat "$work/sim.log" >&2; exit 1; }
echo "stb-sim plays the receiver on $port"

step "3. UploadData: the receiver's memory to the PC"
"$bv3" upload "$work/receiver.raw" --port "$port"
"$bv3" raw2qnf "$work/receiver.raw" "$work/channels.qnf" --variant "$variant" --model "$model"
echo "uploaded $(size "$work/receiver.raw") bytes; RawToQnf: $(describe "$work/channels.qnf")"

step "4. the edit"
edit_list "$work/channels.qnf" "$work/edited.qnf"
echo "renamed \"Lumen Two\" to \"Lumen Zwei\"; \"Orbis Kids\" and \"Polaris 2\" changed places;"
echo "service 7 added to video favourite list 0; menu time value set to 1:30;"
echo "provider \"Vantage Group\" dropped, its services moved to \"Orbis TV\""
echo "edited list: $(describe "$work/edited.qnf")"
echo "what the edit changes, as bv3 diff tells it:"
"$bv3" diff "$work/channels.qnf" "$work/edited.qnf" --model "$model" >"$work/diff.txt" && status=0 || status=$?
sed 's/^/  /' "$work/diff.txt"
# Exit status 1: the lists differ, as they should.
[ "$status" = 1 ] || { echo "bv3 diff: exit status $status, expected 1" >&2; exit 1; }

step "5. QnfToQDF: the download image bv3 send builds (the same encoder call)"
"$bv3" qnf2qdf "$work/edited.qnf" "$work/edited.qdf" --variant "$variant" --model "$model" --header-id 0xABCDE123
"$bv3" qdf-info "$work/edited.qdf"

step "6. bv3 send: backup, send, verify"
"$bv3" send "$work/edited.qnf" --port "$port" --model "$model" --variant "$variant" --header-id 0xABCDE123 \
  --backup "$work/backups" --verify
backup=$(ls "$work/backups")
echo "the backup of what the receiver held before: backups/$backup ($(size "$work/backups/$backup") bytes)"
wait "$sim_pid" || { echo "the simulator failed:" >&2; cat "$work/sim.log" >&2; sim_pid=""; exit 1; }
sim_pid=""
echo "the simulator's log:"
grep -E "applied|refused|saved" "$work/sim.log" | sed 's/^/  /'

step "7. the checks"
failed=0
if "$bv3" diff "$work/channels.qnf" "$work/backups/$backup" --model "$model" >/dev/null; then
  echo "ok: the backup holds the list the receiver held before the send"
else
  echo "FAILED: the backup differs from the list the receiver held" >&2
  failed=1
fi
"$bv3" raw2qnf "$work/sim-memory.raw" "$work/after.qnf" --variant "$variant" --model "$model"
if cmp -s "$work/edited.qnf" "$work/after.qnf"; then
  echo "ok: the memory the simulator saved after applying the image reads back byte-identical to the edited list"
else
  echo "FAILED: the receiver's memory differs from the edited list:" >&2
  diff <(tr -d '\r' <"$work/edited.qnf") <(tr -d '\r' <"$work/after.qnf") >&2 || true
  failed=1
fi
"$bv3" compress "$work/edited.qnf" "$work/edited.v3qnf" >/dev/null
"$bv3" decompress "$work/edited.v3qnf" "$work/restored.qnf" >/dev/null
if cmp -s "$work/edited.qnf" "$work/restored.qnf"; then
  echo "ok: QnfToV3Qnf + V3QnfToQnf restore the edited list byte for byte" \
    "($(size "$work/edited.qnf") -> $(size "$work/edited.v3qnf") bytes)"
else
  echo "FAILED: the compressed list does not restore the edited one" >&2
  failed=1
fi
exit "$failed"
