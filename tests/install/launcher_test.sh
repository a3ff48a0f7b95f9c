#!/usr/bin/env bash
# Drives scripts/run-quorvel.sh with a stand-in program in a temporary HOME: the working
# directory, the copy of the shipped TONESETS.INI on first use, that a user's own copy is
# never overwritten, and the program's arguments and exit status passed through.
# Usage: launcher_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$(cd "$1" && pwd)
launcher=$source_dir/scripts/run-quorvel.sh
shipped=$source_dir/data/TONESETS.INI

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The stand-in records where it ran and its arguments, one a line.
mkdir -p "$tmp/bin" "$tmp/elsewhere"
printf '#!/bin/sh\n{ pwd; printf "%%s\\n" "$@"; } >"$FAKE_LOG"\nexit "${FAKE_STATUS:-0}"\n' \
    >"$tmp/bin/fake-quorvel"
chmod +x "$tmp/bin/fake-quorvel"
export FAKE_LOG=$tmp/log
run() { (cd "$tmp/elsewhere" && env -u XDG_DATA_HOME HOME="$tmp/home" "$@"); }

workdir=$tmp/home/.local/share/quorvel
run "$launcher" ../bin/fake-quorvel "two words" -x || fail "first run exited $?"
cmp -s "$shipped" "$workdir/TONESETS.INI" || fail "the example was not copied on first use"
[[ "$(cat "$tmp/log")" == "$workdir"$'\ntwo words\n-x' ]] || fail "ran as: $(cat "$tmp/log")"

printf 'My own sets\r\n>MINE,50,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\r\n' >"$workdir/TONESETS.INI"
status=0
FAKE_STATUS=3 run "$launcher" "$tmp/bin/fake-quorvel" || status=$?
[[ $status -eq 3 ]] || fail "exit status $status instead of the program's 3"
grep -q '^>MINE,50' "$workdir/TONESETS.INI" || fail "the user's TONESETS.INI was overwritten"

PATH="$tmp/bin:$PATH" HOME="$tmp/home2" XDG_DATA_HOME="$tmp/xdg" "$launcher" fake-quorvel ||
    fail "run from PATH exited $?"
[[ "$(head -n1 "$tmp/log")" == "$tmp/xdg/quorvel" ]] || fail "XDG_DATA_HOME was not used"

status=0
out=$(HOME="$tmp/home3" "$launcher" no-such-program-quorvel 2>&1) || status=$?
[[ $status -eq 1 && "$out" == *"cannot start"* && ! -e "$tmp/home3" ]] ||
    fail "a missing program: status $status, '$out'"
echo "launcher: working directory, first-use copy and the user's own copy all as expected"
