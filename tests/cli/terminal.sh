#!/bin/sh
# quorvel-render refuses to write samples to a terminal and says what to do instead; with -o
# or a pipe the samples are written. `script` gives the run a terminal.
set -eu
render=$1
command -v script >/dev/null || { echo "skipped: no script(1)"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
status=0
script -qec "'$render' -s DTMF1 1" "$dir/typescript" >"$dir/said" 2>&1 </dev/null || status=$?
[ "$status" = 2 ] || fail "exit status $status on a terminal: $(cat "$dir/said")"
grep -q "standard output is a terminal: write the samples to a file with -o FILE, or to a pipe" \
    "$dir/said" || fail "said: $(cat "$dir/said")"
[ "$(wc -c <"$dir/said")" -lt 300 ] || fail "wrote more than a message to the terminal"
script -qec "'$render' -s DTMF1 -o '$dir/one.raw' 1" /dev/null >/dev/null </dev/null ||
    fail "-o on a terminal failed"
bytes=$(wc -c <"$dir/one.raw")
[ "$bytes" -gt 4000 ] || fail "-o wrote $bytes bytes"
script -qec "'$render' -s DTMF1 1 | wc -c" /dev/null </dev/null | grep -qw "$bytes" ||
    fail "a pipe did not get the samples"
echo "refused on a terminal with status 2; -o and a pipe get $bytes bytes"
