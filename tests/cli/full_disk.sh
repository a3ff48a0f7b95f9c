#!/bin/sh
# On a full disk quorvel-render fails with exit status 1, naming the cause in one wording for
# WAV and raw, and leaves no file behind: no temporary file, no new target, and an existing
# target as it was. The disk is a 64 KiB tmpfs mounted in a private mount namespace, which needs
# root; skipped otherwise.
set -eu
render=$1
if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null; then
    echo "skipped: needs root and unshare -m"
    exit 77
fi
dir=$(mktemp -d)
trap 'rmdir "$dir"' EXIT
unshare -m sh -eu -c '
    render=$1 dir=$2
    mount -t tmpfs -o size=64k tmpfs "$dir"
    fail() { echo "FAIL: $*"; exit 1; }
    # full TARGET MS: the render fails, in one wording for both formats.
    full() {
        status=0
        "$render" -o "$dir/$1" -t "$2" 1 2>"$dir/../err.$$" || status=$?
        [ "$status" = 1 ] || fail "$1: exit status $status"
        grep -qx "quorvel-render: cannot write '\''$dir/$1'\'': No space left on device" \
            "$dir/../err.$$" || fail "$1: $(cat "$dir/../err.$$")"
    }
    for name in call.wav call.raw; do
        printf old >"$dir/old-$name"
        for target in "old-$name" "$name"; do
            # 5 s of samples, 220 KB, cannot fit.
            full "$target" 5000
        done
        [ "$(cat "$dir/old-$name")" = old ] || fail "old-$name was changed"
        [ ! -e "$dir/$name" ] || fail "$name was left behind"
        # What fits replaces the target whole.
        "$render" -o "$dir/old-$name" -t 100 1 || fail "a call that fits"
        [ "$(stat -c %s "$dir/old-$name")" -ge 4412 ] || fail "old-$name was not replaced"
        rm "$dir/old-$name"
    done
    # A disk with no room even for the WAV header that is written first.
    dd if=/dev/zero of="$dir/filler" bs=4k 2>/dev/null || true
    full call.wav 100
    full call.raw 100
    rm -f "$dir/../err.$$" "$dir/filler"
    left=$(ls -A "$dir")
    [ -z "$left" ] || fail "left behind: $left"
    echo "full disk: both formats fail cleanly"
' sh "$render" "$dir"
