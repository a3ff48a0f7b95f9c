#!/usr/bin/env bash
# Drives scripts/run-quorvel.sh with a stand-in program in a temporary HOME: the working
# directory, the copy of the shipped TONESETS.INI on first use, and that a user's own copy
# is never overwritten.
# Usage: launcher_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$(cd "$1" && pwd)
launcher=$source_dir/scripts/run-quorvel.sh
shipped=$source_dir/data/TONESETS.INI

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The stand-in records where it ran and what it got, one argument a line, and writes a
# settings file the way the window would.
mkdir -p "$tmp/bin" "$tmp/home" "$tmp/elsewhere"
cat >"$tmp/bin/fake-quorvel" <<'EOF'
#!/usr/bin/env bash
{ pwd; printf '%s\n' "$@"; } >"$FAKE_LOG"
[[ -e Quorvel.ini ]] || printf '0,0,2,"0123456789ABCDEF","70","0","300",0\r\n' >Quorvel.ini
exit "${FAKE_STATUS:-0}"
EOF
chmod +x "$tmp/bin/fake-quorvel"
export FAKE_LOG=$tmp/log
run() { (cd "$tmp/elsewhere" && env -u XDG_DATA_HOME HOME="$tmp/home" "$@"); }

# First use: directory made, example copied, program started there with its arguments.
workdir=$tmp/home/.local/share/quorvel
run "$launcher" ../bin/fake-quorvel "two words" -x || fail "first run exited $?"
cmp -s "$shipped" "$workdir/TONESETS.INI" || fail "the example was not copied on first use"
[[ "$(sed -n 1p "$tmp/log")" == "$workdir" ]] || fail "ran in '$(sed -n 1p "$tmp/log")'"
[[ "$(sed -n '2,$p' "$tmp/log")" == $'two words\n-x' ]] || fail "arguments: $(sed -n '2,$p' "$tmp/log")"
[[ -z "$(find "$workdir" -name '.TONESETS*')" ]] || fail "a temporary copy was left behind"

# Later runs keep the user's edited tone sets and the settings the program wrote.
printf 'My own sets\r\n>MINE,50,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\r\n' >"$workdir/TONESETS.INI"
cp "$workdir/Quorvel.ini" "$tmp/settings.before"
run "$launcher" "$tmp/bin/fake-quorvel" || fail "second run exited $?"
grep -q '^>MINE,50' "$workdir/TONESETS.INI" || fail "the user's TONESETS.INI was overwritten"
cmp -s "$tmp/settings.before" "$workdir/Quorvel.ini" || fail "Quorvel.ini was changed"

# A symbolic link of the user's is theirs too, even when it points nowhere.
rm "$workdir/TONESETS.INI"
ln -s "$tmp/nowhere.ini" "$workdir/TONESETS.INI"
run "$launcher" "$tmp/bin/fake-quorvel" || fail "run with a dangling link exited $?"
[[ -L "$workdir/TONESETS.INI" && ! -e "$tmp/nowhere.ini" ]] || fail "the user's link was replaced"

# The program's exit status comes back through the launcher.
status=0
FAKE_STATUS=3 run "$launcher" "$tmp/bin/fake-quorvel" || status=$?
[[ $status -eq 3 ]] || fail "exit status $status instead of the program's 3"

# XDG_DATA_HOME is respected when absolute and ignored when relative, as the XDG rules say.
PATH="$tmp/bin:$PATH" HOME="$tmp/home2" XDG_DATA_HOME="$tmp/xdg" "$launcher" fake-quorvel ||
    fail "run from PATH exited $?"
cmp -s "$shipped" "$tmp/xdg/quorvel/TONESETS.INI" || fail "XDG_DATA_HOME was not used"
[[ "$(sed -n 1p "$tmp/log")" == "$tmp/xdg/quorvel" ]] || fail "ran in '$(sed -n 1p "$tmp/log")'"
(cd "$tmp/elsewhere" && HOME="$tmp/home3" XDG_DATA_HOME=relative "$launcher" ../bin/fake-quorvel) ||
    fail "run with a relative XDG_DATA_HOME exited $?"
[[ -f "$tmp/home3/.local/share/quorvel/TONESETS.INI" && ! -e "$tmp/elsewhere/relative" ]] ||
    fail "a relative XDG_DATA_HOME was not ignored"

# Without the example the program still starts, after a warning, and no file is invented.
out=$(QUORVEL_EXAMPLE_TONESETS=$tmp/missing.ini HOME="$tmp/home4" XDG_DATA_HOME='' \
    "$launcher" "$tmp/bin/fake-quorvel" 2>&1) || fail "run without the example exited $?"
[[ "$out" == *"warning: no tone-set file to copy"* ]] || fail "no warning without the example: $out"
[[ ! -e "$tmp/home4/.local/share/quorvel/TONESETS.INI" ]] || fail "a TONESETS.INI was invented"

# Usage errors say what is wrong and start nothing.
status=0
out=$("$launcher" 2>&1) || status=$?
[[ $status -eq 2 && "$out" == usage:* ]] || fail "no arguments: status $status, '$out'"
for missing in "$tmp/bin/no-such-program" no-such-program-quorvel; do
    status=0
    out=$(HOME="$tmp/home5" "$launcher" "$missing" 2>&1) || status=$?
    [[ $status -eq 1 && "$out" == *"cannot start '$missing'"* ]] ||
        fail "missing program $missing: status $status, '$out'"
done
[[ ! -e "$tmp/home5" ]] || fail "a refused start still made the working directory"

if ((failures > 0)); then
    echo "$failures launcher check(s) failed" >&2
    exit 1
fi
echo "launcher: working directory, first-use copy and the user's own copy all as expected"
