#!/bin/sh
# On a full disk quorvel-render fails with exit status 1, naming the cause, and leaves no
# file behind: no temporary file, no new target, and an existing target as it was. The disk
# is a 64 KiB tmpfs mounted in a private mount namespace, which needs root; skipped otherwise.
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
    for name in call.wav call.raw; do
        printf old >"$dir/old-$name"
        for target in "old-$name" "$name"; do
            # 5 s of samples, 220 KB, cannot fit.
            status=0
            "$render" -o "$dir/$target" -t 5000 1 2>"$dir/../err.$$" || status=$?
            [ "$status" = 1 ] || fail "$target: exit status $status"
            grep -q "cannot write .*No space left on device" "$dir/../err.$$" ||
                fail "$target: $(cat "$dir/../err.$$")"
        done
        [ "$(cat "$dir/old-$name")" = old ] || fail "old-$name was changed"
        [ ! -e "$dir/$name" ] || fail "$name was left behind"
        # What fits replaces the target whole.
        "$render" -o "$dir/old-$name" -t 100 1 || fail "a call that fits"
        [ "$(stat -c %s "$dir/old-$name")" -ge 4412 ] || fail "old-$name was not replaced"
        rm "$dir/old-$name"
    done
    rm -f "$dir/../err.$$"
    left=$(ls -A "$dir")
    [ -z "$left" ] || fail "left behind: $left"
    echo "full disk: both formats fail cleanly"
' sh "$render" "$dir"
