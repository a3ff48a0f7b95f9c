# Sourced by the scripts that run the Windows build under Wine: finds wine and wineserver,
# and gives use_prefix, wine_run, need_exe and desktop_gone. Expects $state, the file that the
# prefix fixture (wine-tests.sh prefix) wrote.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

wine=""
for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    [[ -n "$candidate" && -x "$candidate" ]] && { wine=$candidate; break; }
done
wineserver=$(dirname "${wine:-/usr/lib/wine/wine64}")/wineserver
[[ -x "$wineserver" ]] || wineserver=$(command -v wineserver || echo wineserver)

# The prefix made for this run, or a skip with the reason Wine could not run.
use_prefix() {
    local line
    line=$(cat "$state" 2>/dev/null || echo "unusable: no Wine prefix was made (windows_wine_prefix did not run)")
    if [[ "$line" == unusable:* ]]; then
        echo "SKIPPED: Wine cannot run here: ${line#unusable: }" >&2
        exit 77
    fi
    export WINEPREFIX=$line
}

# Runs EXE under Wine with its output in the files OUT.out and OUT.err, then shows them: the
# services that Wine starts for a program inherit its descriptors and can hold a pipe open
# for seconds after the program has ended.
wine_run() {
    local out=$1 status=0
    shift
    timeout 280 "$wine" "$@" >"$out.out" 2>"$out.err" || status=$?
    tr -d '\r' <"$out.out" >"$out.txt"
    return $status
}

need_exe() {
    if [[ ! -f "$1" ]]; then
        echo "$1 is missing: build the Windows tree first (make windows)" >&2
        exit 1
    fi
}


# Makes a prefix in DIR/prefix, with a wineserver that stays until end_prefix. Without it each
# Wine process starts the server and Wine's services again, seconds every time on a loaded
# machine. Returns non-zero, with wineboot's log in DIR/wineboot.log, when Wine cannot start.
make_prefix() {
    local dir=$1
    mkdir -p "$dir/prefix"
    WINEPREFIX="$dir/prefix" "$wineserver" -p </dev/null >/dev/null 2>&1 || true
    if ! WINEPREFIX="$dir/prefix" timeout 100 "$wine" wineboot -i >"$dir/wineboot.log" 2>&1; then
        WINEPREFIX="$dir/prefix" "$wineserver" -k 2>/dev/null || true
        return 1
    fi
}

# Stops the prefix's wineserver and every Wine process of it.
end_prefix() {
    WINEPREFIX=$1 timeout 30 "$wineserver" -k 2>/dev/null || true
}

# The recorded plays get a prefix of their own, made just before them: in a prefix that has
# stood for some minutes (as the shared one has when make test reaches the sound tests), a
# process's first play under Wine 8 starts some 400 ms late and cut, while in a fresh one
# each process's first winmm call waits ~10 s for Wine's RPC service and then plays whole.
# Sets WINEPREFIX; the caller's EXIT trap calls end_prefix "$WINEPREFIX".
fresh_prefix() {
    local dir=$1
    if ! make_prefix "$dir"; then
        echo "wineboot failed: $(tail -n 3 "$dir/wineboot.log")" >&2
        exit 1
    fi
    export WINEPREFIX=$dir/prefix
}

# A prefix's desktop belongs to the display that its first program had: one made with no
# display ends a few seconds after its programs, and a window started after that makes it anew
# on the display it has. Waits for the desktop of $WINEPREFIX to end (ends it after 15 s).
desktop_gone() {
    local desktop process
    for _ in $(seq 30); do
        desktop=""
        for process in /proc/[0-9]*; do
            if grep -qa 'explorer.exe' "$process/cmdline" 2>/dev/null &&
                tr '\0' '\n' <"$process/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
                desktop=${process#/proc/}
            fi
        done
        [[ -n "$desktop" ]] || return 0
        sleep 0.5
    done
    kill "$desktop" 2>/dev/null || true
    sleep 1
}
