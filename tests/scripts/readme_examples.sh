#!/usr/bin/env bash
# Runs the command examples of README.md exactly as written, in a scratch folder holding the
# sample list, with the freshly built tools first on PATH. Keeps README true to the tools.
# Arguments: SOURCE_DIR BINARY_DIR
set -euo pipefail
source_dir=$1
binary_dir=$2
work=$(mktemp -d)
cleanup() {
  # The examples start the simulator in the background; never leave it running.
  pkill -P $$ stb-sim 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/samples"
cp "$source_dir/samples/channels.qnf" "$work/samples/"
sed -n '/<!-- tested-examples:begin -->/,/<!-- tested-examples:end -->/p' "$source_dir/README.md" |
  sed '/^<!--/d; /^```/d' >"$work/examples.sh"
if ! grep -q 'bv3 ' "$work/examples.sh"; then
  echo "README.md has no tested examples block" >&2
  exit 1
fi
cd "$work"
PATH="$binary_dir/bin:$PATH" timeout 600 bash -euo pipefail -x examples.sh
echo "README examples: all ran"
