#!/usr/bin/env bash
# quorvel-render.exe under Wine, in the prefix that wine-tests.sh made for the run; each
# command takes STATE EXE LINUX_EXE TONESETS CONSOLE_CTRL_EXE:
#   render-tests.sh same ...
#       the table of renders, compared byte for byte with the Linux build's: every shipped set
#       raw on standard output and as WAV, the repeat tone, the framing options, --level
#   render-tests.sh files ...
#       -o onto a read-only file and into a missing folder, Ctrl+C during a long render into a
#       file, non-ASCII paths, the search for the tone sets without -f, the keying options
#   render-tests.sh play ...
#       --play on a private sound server: a DTMF and a ZVEI1 call recorded and decoded by
#       multimon-ng, their play times, and Ctrl+C during a long play
# Exit status 77 (skipped) only where Wine cannot run at all, with the reason.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
command=$1 state=$2 exe=$3 linux=$4 tonesets=$5 ctrl=$6
source "$here/wine-common.sh"
use_prefix
need_exe "$exe"
need_exe "$ctrl"
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-render-wine.XXXXXX")
if [[ "$command" != play ]]; then
    trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fi

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# Runs the Windows program; its status in $status, standard output in $work/run.out (bytes)
# and run.txt (text), standard error as text in $err.
run_windows() {
    status=0
    wine_run "$work/run" "$exe" "$@" || status=$?
    err=$(tr -d '\r' <"$work/run.err")
}

case "$command" in
same)
    sets=$("$linux" -f "$tonesets" -l 2>/dev/null | cut -f 1,2 | tr '\t' ' ')
    cases=()
    while read -r index name; do
        cases+=("$name raw|-f SETS -i $index 0123456789ABCDEF~5")
        cases+=("$name WAV|-f SETS -i $index -o OUT.wav 0123456789ABCDEF")
    done <<<"$sets"
    # A ~ in a case is a blank inside its word; SETS and OUT are replaced after the split.
    cases+=(
        "repeat tone, ZVEI1|-f SETS -s ZVEI1 -p 0 -r 1122334455"
        "DTMF2 -t 45,5 -p 30.25 -q 120|-s DTMF2 -t 45,5 -p 30.25 -q 120 12~34~56"
        "framing, CCIR1 raw file|-f SETS -s CCIR1 --lead-in 120 --tail 80 --first-tone 600 --calls 3 --call-gap 250 -o OUT.raw 12345"
        "framing, EEA WAV|-f SETS -s EEA -r --first-tone 300 --calls 2 -o OUT.wav 1223"
        "--level -6, DTMF1|-s DTMF1 --level -6 0123"
        "--level -80, ZVEI2 WAV|-f SETS -s ZVEI2 --level -80 -o OUT.wav 12345"
        "--level -0,5 with framing|-s DTMF1 --level -0,5 --lead-in 10 --tail 10 147"
    )
    printf '%-34s %9s  %-16s %s\n' "render" "bytes" "sha256" "Windows = Linux"
    differ=0
    for entry in "${cases[@]}"; do
        label=${entry%%|*}
        read -r -a args <<<"${entry#*|}"
        args=("${args[@]//\~/ }")
        args=("${args[@]/#SETS/$tonesets}")
        # The file options name a file of each build's own.
        win_args=("${args[@]/#OUT/$work/win}")
        lin_args=("${args[@]/#OUT/$work/lin}")
        run_windows "${win_args[@]}"
        [[ $status == 0 ]] || fail "$label: the Windows build exited with $status: $err"
        "$linux" "${lin_args[@]}" >"$work/lin.out" 2>/dev/null || fail "$label: the Linux build failed"
        win=$work/run.out lin=$work/lin.out
        for suffix in wav raw; do
            [[ -f "$work/win.$suffix" ]] && { win=$work/win.$suffix lin=$work/lin.$suffix; }
        done
        same=yes
        cmp -s "$win" "$lin" || { same=NO; differ=1; }
        printf '%-34s %9d  %-16s %s\n' "$label" "$(stat -c %s "$win")" \
            "$(sha256sum "$win" | cut -c 1-16)" "$same"
        rm -f "$work"/win.* "$work"/lin.*
    done
    ((differ == 0)) || fail "the builds rendered different bytes"
    ;;
files)
    # A read-only target keeps its content, and no new file is left beside it.
    folder=$work/out
    mkdir "$folder"
    printf 'old' >"$folder/call.raw"
    chmod a-w "$folder/call.raw"
    run_windows -o "$folder/call.raw" 123
    echo "$err"
    [[ $status == 1 && "$err" == "quorvel-render: cannot write '$folder/call.raw': Permission denied" ]] ||
        fail "read-only target: status $status"
    [[ "$(cat "$folder/call.raw")" == old && "$(ls -A "$folder")" == call.raw ]] ||
        fail "read-only target: changed, or a file was left beside it: $(ls -A "$folder")"
    # A missing folder and a folder named like the file: the Linux build's words, and nothing
    # made.
    mkdir "$work/call.wav"
    for target in "$work/missing/call.raw" "$work/missing/call.wav" "$work/call.wav"; do
        run_windows -o "$target" 123
        echo "$err"
        expected=$("$linux" -o "$target" 123 2>&1 || true)
        [[ $status == 1 && "$err" == "$expected" ]] || fail "$target: expected '$expected'"
        [[ ! -e "$work/missing" && -z "$(ls -A "$work/call.wav")" ]] ||
            fail "$target: something was made"
    done
    rmdir "$work/call.wav"

    # Ctrl+C 1.5 s into a render of 18000 s (~6 s, 0.8 GB): the process ends with 130, and
    # the new file that it was to write goes with it.
    big=$work/big
    mkdir "$big"
    "$wine" "$ctrl" c 1500 "$exe" -o "$big/call.raw" -t 9000000 11 >"$work/ctrl.out" 2>&1 &
    ctrl_pid=$!
    seen=none
    while kill -0 $ctrl_pid 2>/dev/null; do
        [[ "$seen" == none ]] && seen=$(ls -A "$big" | head -n 1) && seen=${seen:-none}
        sleep 0.1
    done
    status=0
    wait $ctrl_pid || status=$?
    echo "Ctrl+C during a render: status $status; the new file, while there: $seen"
    [[ $status == 130 ]] || fail "Ctrl+C during a render: $(cat "$work/ctrl.out")"
    [[ -z "$(ls -A "$big")" ]] || fail "Ctrl+C during a render left $(ls -A "$big")"

    # Non-ASCII names in the tone-set file, the output and a message; the same bytes.
    named="$work/Città ñ"
    mkdir "$named"
    cp "$tonesets" "$named/Tönë.INI"
    run_windows -f "$named/Tönë.INI" -s ZVEI1 -o "$named/Zürich ☎.wav" 12345
    [[ $status == 0 ]] || fail "non-ASCII paths: $err"
    "$linux" -f "$tonesets" -s ZVEI1 -o "$work/linux.wav" 12345
    cmp "$named/Zürich ☎.wav" "$work/linux.wav" || fail "non-ASCII paths: other bytes"
    run_windows -f "$named/Nö.INI" -l
    expected=$("$linux" -f "$named/Nö.INI" -l 2>&1 || true)
    echo "$err"
    [[ $status == 1 && "$err" == "$expected" ]] || fail "missing tone-set file: expected '$expected'"
    echo "non-ASCII folder, tone-set file and WAV name: the same bytes as on Linux"

    # The search without -f: the working folder, then %APPDATA%\Quorvel, then beside the .exe.
    one_set() { # NAME DURATION: a tone-set file with one set
        printf '>%s,%s,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\r\n' "$1" "$2"
    }
    mkdir "$work/cwd" "$work/app"
    cp "$exe" "$work/app/quorvel-render.exe"
    one_set BESIDE 41 >"$work/app/TONESETS.INI"
    search() { # the set that -l lists third, and the file named
        (cd "$work/cwd" && wine_run "$work/run" "$work/app/quorvel-render.exe" -l) ||
            fail "search: -l failed"
        found=$(sed -n 3p "$work/run.txt" | cut -f 2,3 | tr '\t' ' ')
        from=$(tr -d '\r' <"$work/run.err")
    }
    search
    echo "beside the .exe: $found; $from"
    [[ "$found" == "BESIDE 41" && "$from" == *"app\\TONESETS.INI'" ]] || fail "search: beside"
    # The folder that %APPDATA% names in the prefix, as the message gives it.
    rm "$work/app/TONESETS.INI"
    search
    echo "$from"
    appdata=$(sed -n "s/.*'C:\\\\\([^']*\\\\Quorvel\)\\\\TONESETS.INI'.*/\1/p" <<<"$from" | tr '\\' /)
    [[ -n "$appdata" ]] || fail "search: %APPDATA%\\Quorvel is not among the places"
    mkdir -p "$WINEPREFIX/drive_c/$appdata"
    one_set APPDATA 42 >"$WINEPREFIX/drive_c/$appdata/TONESETS.INI"
    one_set BESIDE 41 >"$work/app/TONESETS.INI"
    search
    rm -r "$WINEPREFIX/drive_c/$appdata"
    echo "in %APPDATA%\\Quorvel: $found; $from"
    [[ "$found" == "APPDATA 42" ]] || fail "search: %APPDATA% before beside the .exe"
    one_set WORKING 43 >"$work/cwd/TONESETS.INI"
    search
    echo "in the working folder: $found; $from"
    [[ "$found" == "WORKING 43" ]] || fail "search: the working folder first"

    # Keying a radio: refused as a usage error before anything plays.
    for option in "--ptt serial:COM1:rts" "--ptt cm108:auto" "--ptt-lead 100" "--ptt-timeout 10"; do
        read -r -a words <<<"$option"
        run_windows "${words[@]}" --play 123
        echo "$err" | head -n 1
        [[ $status == 2 && ! -s "$work/run.out" &&
            "$err" == "quorvel-render: ${words[0]}: keying a radio is not available on Windows yet"$'\n'"Try 'quorvel-render --help'." ]] ||
            fail "$option: status $status"
    done
    ;;
play)
    source "$here/../acceptance/private-pulse.sh"
    TEST_DIR=$work
    test_traps
    sink=quorvel_wine_render_sink
    private_pulse_start "$sink"
    fresh_prefix "$work"
    trap 'status=$?; end_prefix "$WINEPREFIX"; (exit $status); test_cleanup' EXIT
    SECONDS=0

    run_windows --list-devices
    cat "$work/run.txt"
    named=$(sed -n 2p "$work/run.txt" | cut -f 1)
    [[ $status == 0 && -n "$named" ]] || fail "--list-devices lists no second output"

    # The length of each call's sound, from the Linux build's samples.
    dtmf=(-s DTMF1 -t 70 -p 70 0123456789ABCDEF)
    zvei=(-f "$tonesets" -s ZVEI1 -p 0 12345)
    sound_ms_of() { "$linux" "$@" | wc -c | awk '{ printf "%d", $1 / 2 / 22.05 }'; }
    dtmf_ms=$(sound_ms_of "${dtmf[@]}")
    zvei_ms=$(sound_ms_of "${zvei[@]}")

    # While the recorder runs, each Wine process's first winmm call waits ~10 s for Wine's
    # RPC service (see fresh_prefix); the sound comes after it, whole.
    record_monitor_start "$sink"
    run_windows --play "${dtmf[@]}"
    [[ $status == 0 ]] || fail "DTMF play: $err"
    dtmf_played=$(cat "$work/run.txt")
    run_windows --play --device "$named" "${zvei[@]}"
    [[ $status == 0 ]] || fail "ZVEI1 play on '$named': $err"
    zvei_played=$(cat "$work/run.txt")
    record_monitor_stop
    decoded=$(multimon-ng -q -t raw -a DTMF -a ZVEI1 "$PRIVATE_PULSE_RECORDING" 2>/dev/null |
        sed -n 's/^\(DTMF\|ZVEI1\): //p' | tr -d '\n')
    echo "DTMF on the default output: $dtmf_played (samples: $dtmf_ms ms)"
    echo "ZVEI1 on '$named': $zvei_played (samples: $zvei_ms ms)"
    echo "multimon-ng decode of the recording: $decoded"
    [[ "$decoded" == "0123456789ABCD*#12345" ]] || fail "expected 0123456789ABCD*# then 12345"
    # Within +0..300 ms of the samples; under Wine it may read up to 2 ms short: both of its
    # ends are whole milliseconds, and Wine sets the done flag by its stream's clock.
    for pair in "$dtmf_played:$dtmf_ms" "$zvei_played:$zvei_ms"; do
        ms=$(sed -n 's/^played in \([0-9]*\) ms$/\1/p' <<<"${pair%%:*}")
        expected=${pair##*:}
        [[ -n "$ms" ]] && ((ms >= expected - 2 && ms <= expected + 300)) ||
            fail "play time '${pair%%:*}' is not within $((expected - 2))..$((expected + 300)) ms"
    done

    # Ctrl+C 2 s into a 16 s play, sent on the console: the play stops at once.
    started=$SECONDS
    status=0
    timeout 60 "$wine" "$ctrl" c 2000 "$exe" --play -s DTMF1 -t 500 -p 500 5555555555555555 \
        >"$work/ctrl.out" 2>"$work/ctrl.err" || status=$?
    took=$((SECONDS - started))
    stopped=$(tr -d '\r' <"$work/ctrl.err")
    echo "Ctrl+C: status $status, '$stopped', after $took s"
    [[ $status == 130 && "$stopped" =~ ^stopped\ after\ ([0-9]+)\ ms$ && ! -s "$work/ctrl.out" ]] ||
        fail "Ctrl+C did not stop the play as it should"
    ((BASH_REMATCH[1] < 4000 && took < 10)) || fail "Ctrl+C: the play went on"
    echo "the plays under Wine took $SECONDS s"
    ;;
*)
    echo "usage: render-tests.sh same|files|play STATE EXE LINUX_EXE TONESETS CONSOLE_CTRL_EXE" >&2
    exit 2
    ;;
esac
