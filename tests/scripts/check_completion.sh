#!/usr/bin/env bash
# bv3's generated bash completion offers every subcommand bv3 --help lists, a command's
# options, the members of a fixed set of values, and file names for arguments.
# Argument: the bv3 program.
set -euo pipefail
bv3=$1
script=$(mktemp)
trap 'rm -f "$script"' EXIT
"$bv3" --completion bash >"$script"
# shellcheck disable=SC1090
source "$script"

# complete WORD... : the candidates for the last word, one line.
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _bv3_complete
  echo "${COMPREPLY[*]}"
}
fail() { echo "FAIL: $*" >&2; exit 1; }

listed=$("$bv3" --help | sed -n '/^Subcommands:/,$p' | awk '/^  [a-z0-9]/ {print $1}')
[ -n "$listed" ] || fail "bv3 --help lists no subcommands"
offered=" $(complete_words bv3 '') "
for command in $listed; do
  [[ $offered == *" $command "* ]] || fail "'bv3 <TAB>' does not offer $command (offers:$offered)"
done
[[ " $(complete_words bv3 --ver) " == *" --version "* ]] || fail "'bv3 --ver<TAB>' does not offer --version"

[[ " $(complete_words bv3 compress --mo) " == " --mode " ]] || fail "'bv3 compress --mo<TAB>' is not --mode"
[[ " $(complete_words bv3 compress --mode '') " == " good fast auto " ]] ||
  fail "'bv3 compress --mode <TAB>' offers '$(complete_words bv3 compress --mode '')'"
[[ " $(complete_words bv3 raw2qnf --model 1 --va) " == " --variant " ]] || fail "'bv3 raw2qnf ... --va<TAB>' is not --variant"

# Arguments complete to file names.
cd "$(mktemp -d)"
touch channels.qnf
[ "$(complete_words bv3 compress chan)" = "channels.qnf" ] || fail "'bv3 compress chan<TAB>' is not channels.qnf"
echo "bash completion: all checks passed"
