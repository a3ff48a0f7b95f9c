# Sourced by the scripts that run the Windows build under Wine: finds wine and wineserver,
# and gives use_prefix, wine_run and need_exe. Expects $state, the file that the prefix
# fixture (wine-tests.sh prefix) wrote.
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
