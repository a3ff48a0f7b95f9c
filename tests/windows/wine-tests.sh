#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, in one private prefix per test run:
#   wine-tests.sh prefix STATE       makes the prefix in a temporary folder and writes its path
#                                    to STATE; where Wine cannot run at all, writes why instead
#   wine-tests.sh prefix_end STATE   stops the prefix's wineserver and removes the folder
#   wine-tests.sh unit STATE EXE     runs a GoogleTest executable
#   wine-tests.sh play STATE EXE     winmm_play.exe on a private sound server, in a fresh prefix
#                                    of its own (see fresh_prefix): the device list,
#                                    a DTMF call on the default output and one on a named output
#                                    recorded from the null sink's monitor and decoded with
#                                    multimon-ng, the play time, and an unknown output's report
# Exit status 77 (skipped) only where Wine cannot run at all, with the reason.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
command=$1 state=$2
source "$here/wine-common.sh"

case "$command" in
prefix)
    rm -f "$state"
    if [[ -z "$wine" ]]; then
        echo "unusable: no wine64 or wine is installed (Debian: wine64)" >"$state"
        cat "$state" >&2
        exit 77
    fi
    dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-wine.XXXXXX")
    if ! make_prefix "$dir"; then
        echo "unusable: wineboot failed: $(tail -n 3 "$dir/wineboot.log" | tr '\n' ' ')" >"$state"
        rm -rf "$dir"
        cat "$state" >&2
        exit 77
    fi
    echo "$dir/prefix" >"$state"
    echo "Wine prefix: $dir/prefix ($("$wine" --version))"
    ;;
prefix_end)
    line=$(cat "$state" 2>/dev/null || true)
    rm -f "$state"
    if [[ -n "$line" && "$line" != unusable:* ]]; then
        end_prefix "$line"
        rm -rf "$(dirname "$line")"
    fi
    ;;
unit)
    use_prefix
    need_exe "$3"
    # GoogleTest's own summary; the exit status says whether every case passed.
    out=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-unit.XXXXXX")
    status=0
    wine_run "$out/run" "$3" --gtest_color=no || status=$?
    cat "$out/run.txt"
    grep -v '^ALSA lib' "$out/run.err" >&2 || true
    rm -rf "$out"
    exit $status
    ;;
play)
    use_prefix
    need_exe "$3"
    exe=$3
    source "$here/../acceptance/private-pulse.sh"
    test_traps
    sink=quorvel_wine_sink
    private_pulse_start "$sink"

    # The start-up counts and the outputs by name, as winmm sees the private server.
    SECONDS=0
    TEST_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-winmm.XXXXXX")
    fresh_prefix "$TEST_DIR"
    trap 'status=$?; end_prefix "$WINEPREFIX"; (exit $status); test_cleanup' EXIT
    run=$TEST_DIR/run
    wine_run "$run" "$exe" --list
    list=$(cat "$run.txt")
    echo "$list"
    [[ "$(head -n 1 <<<"$list")" =~ ^inputs\ [0-9]+,\ outputs\ [1-9] ]] ||
        { echo "winmm counts no output on the private server" >&2; exit 1; }
    named=$(sed -n 2p <<<"$list")
    [[ -n "$named" ]] || { echo "winmm lists no output by name" >&2; exit 1; }

    # An output that is not there: report 1 with winmm's MMSYSERR_BADDEVICEID.
    status=0
    wine_run "$run" "$exe" 1 "No such output" || status=$?
    err=$(grep -v '^ALSA lib' "$run.err" | tr -d '\r')
    echo "$err"
    expected="SuonaSequenza: error: 1. waveOutOpen failed -  2 (there is no such output)"
    [[ $status == 1 && "$err" == "$expected" ]] ||
        { echo "expected status 1 and '$expected', got $status" >&2; exit 1; }

    # While a recorder streams from the server, each Wine process's first winmm call waits
    # about 10 s for Wine's RPC service, which then fails to start; the play comes after it,
    # whole. (Kept running, that service spares the wait, but a play that starts at once with
    # its process then often comes out late and cut, under Wine only.)
    decode() {
        multimon-ng -q -t raw -a DTMF "$PRIVATE_PULSE_RECORDING" 2>/dev/null |
            sed -n 's/^DTMF: //p' | tr -d '\n'
    }
    record_monitor_start "$sink"
    # 16 tones and 15 pauses of 70 ms (each segment one sample longer): 2171 ms of sound. The
    # time may read a little short: both of its ends are whole milliseconds, and Wine sets the
    # done flag by its stream's clock. Then a call on the output named in the list.
    wine_run "$run" "$exe" 0123456789ABCDEF
    played=$(cat "$run.txt")
    wine_run "$run" "$exe" 159 "$named"
    record_monitor_stop
    echo "$played"
    decoded=$(decode)
    echo "default output, then output '$named': DTMF decode $decoded"
    [[ "$decoded" == "0123456789ABCD*#159" ]] ||
        { echo "expected 0123456789ABCD*# and 159" >&2; exit 1; }
    ms=$(sed -n 's/^played in \([0-9]*\) ms$/\1/p' <<<"$played")
    if [[ -z "$ms" ]] || ((ms < 2171 - 5 || ms > 2171 + 300)); then
        echo "play time '$ms' ms is not within 2166..2471 ms" >&2
        exit 1
    fi

    # A stop 500 ms into a 16 s call (the reset that Ctrl+C will take) silences it at once and
    # lets the device go: the next play on it is whole.
    record_monitor_start "$sink"
    wine_run "$run" "$exe" --stop-after 500 "$(printf '5%.0s' {1..115})"
    stopped=$(cat "$run.txt")
    record_monitor_stop
    echo "$stopped"
    [[ "$stopped" =~ ^stopped\ after\ ([0-9]+)\ ms$'\n'played\ in\ [0-9]+\ ms$ ]] &&
        ((BASH_REMATCH[1] <= 600)) ||
        { echo "the stopped play did not end as it should" >&2; exit 1; }
    heard=$(sound_ms "$PRIVATE_PULSE_RECORDING")
    ((heard < 1500)) || { echo "$heard ms of sound with a stop at 500 ms" >&2; exit 1; }
    # The 5s of the first 500 ms (a tone and a pause each 140 ms), then the whole next play.
    decoded=$(decode)
    echo "stopped, then played: DTMF decode $decoded"
    [[ "$decoded" =~ ^5{3,5}1$ ]] || { echo "expected three to five 5s, then 1" >&2; exit 1; }

    echo "the plays under Wine took $SECONDS s"
    ;;
*)
    echo "usage: wine-tests.sh prefix|prefix_end|unit|play STATE [EXE]" >&2
    exit 2
    ;;
esac
