#!/usr/bin/env bash
# quorvel.exe under Wine on a private Xvfb display and a private sound server, driven with
# xdotool: the box for a missing TONESETS.INI, the caption and the client area, a typed
# sequence sent with Enter and decoded from the recording, the presets of the selector,
# Escape during a long play, the close refusal's box, and Quorvel.ini byte for byte after a
# close and after a move, the end of the session, --user-folder, and the scale at 144 dpi.
#   wine-window.sh EXE TONESETS
# The window runs in a Wine prefix of its own, made on the private display: Wine binds a
# prefix's desktop to the display of the process that starts it, and the session's end, which
# this test asks for, reaches every window of a prefix.
# Exit status 77 (skipped) only where Wine cannot run at all.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1") tonesets=$(realpath "$2")
# Wine traces each message box with its text, which no X client can read from the box.
trace="-all,+msgbox"
source "$here/wine-common.sh"
[[ -f "$exe" ]] || { echo "$exe is missing: build the Windows tree first (make windows)" >&2; exit 1; }

source "$here/../acceptance/private-pulse.sh"
source "$here/../acceptance/private-window.sh"
test_traps
TEST_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-wine-window.XXXXXX")
mkdir "$TEST_DIR/x"
# The prefix is made before the display and the sound server, as for the other Windows tests:
# Wine's sound set up by a prefix made under the private server often starts each process's
# plays late and cut. Its desktop, made with no display, ends a few seconds after the boot;
# the window's first start then makes it again, on the private display.
state=$TEST_DIR/wine-prefix.txt
end_prefix() {
    local status=$?
    set +e
    "$here/wine-tests.sh" prefix_end "$state"
    (exit $status)
    test_cleanup
}
trap end_prefix EXIT
status=0
env -u DISPLAY "$here/wine-tests.sh" prefix "$state" >/dev/null || status=$?
((status == 0)) || exit $status
export WINEPREFIX=$(cat "$state") WINEDEBUG=$trace
desktop_gone
private_x_start "$TEST_DIR/x"
sink=quorvel_wine_window
private_pulse_start "$sink"

APP=""
# Starts the window in a fresh folder RUN, with Quorvel.ini holding INI (none when empty)
# and the shipped tone sets unless NOSETS is given.
start() {
    local run=$1 ini=$2 nosets=${3:-}
    mkdir -p "$run"
    [[ -n "$nosets" ]] || cp "$tonesets" "$run/TONESETS.INI"
    [[ -z "$ini" ]] || printf '%s\r\n' "$ini" >"$run/Quorvel.ini"
    (cd "$run" && exec "$wine" "$exe" >"$run/out.log" 2>"$run/err.log") &
    APP=$!
    TEST_PIDS+=("$APP")
}
find_window() {
    WINDOW_ID=""
    for _ in $(seq 300); do
        WINDOW_ID=$(xdotool search --onlyvisible --name '^Quorvel v3' 2>/dev/null | head -n1 || true)
        [[ -n "$WINDOW_ID" ]] && break
        sleep 0.1
    done
    [[ -n "$WINDOW_ID" ]] || { echo "the window did not appear" >&2; return 1; }
    xdotool windowfocus --sync "$WINDOW_ID"
    sleep 0.3
}
keys() {
    xdotool windowfocus --sync "$WINDOW_ID"
    xdotool key --delay 80 "$@"
}
caption() { xdotool getwindowname "$WINDOW_ID"; }
# The text of the last message box the window showed, from Wine's trace.
box_said() {
    grep -a 'MSGBOX_OnInit' "$1/err.log" | tail -n 1 | sed 's/^.*MSGBOX_OnInit L"//; s/"$//'
}
# Asks the window to close as a window manager's close button does; the program must end.
ask_close() {
    python3 "$here/../acceptance/close-window.py" "$WINDOW_ID"
}
close_and_expect_ini() {
    local run=$1 expected=$2 got
    ask_close
    wait_exit "$APP" 20 || { echo "the window did not end after its close" >&2; return 1; }
    got=$(od -An -c "$run/Quorvel.ini" | tr -s ' ')
    [[ "$(cat "$run/Quorvel.ini")" == "$expected"$'\r' ]] ||
        { echo "Quorvel.ini: expected '$expected' CR LF, got:$got" >&2; return 1; }
    echo "Quorvel.ini after the close: $(tr -d '\r' <"$run/Quorvel.ini")"
}
# Waits for a caption "Quorvel v3 - NmS"; prints N.
caption_ms() {
    local text
    for _ in $(seq "${1:-300}"); do
        text=$(caption)
        if [[ "$text" =~ ^Quorvel\ v3\ -\ ([0-9]+)mS$ ]]; then
            echo "${BASH_REMATCH[1]}"
            return 0
        fi
        sleep 0.1
    done
    echo "the caption '$text' is not of the form 'Quorvel v3 - NmS'" >&2
    return 1
}

# 0. The options, read by the Linux window's table: keying a radio is refused and a bad value
# named as on Linux, each with exit status 2; --help lists the framing and --user-folder.
for case in "--ptt cm108:auto|quorvel: --ptt: keying a radio is not available on Windows yet" \
    "--level -100|quorvel: invalid value for --level: '-100' is less than -80"; do
    status=0
    # shellcheck disable=SC2086 # the options are words
    "$wine" "$exe" ${case%%|*} >"$TEST_DIR/options.out" 2>"$TEST_DIR/options.err" || status=$?
    said=$(grep -v '^ALSA lib\|trace:' "$TEST_DIR/options.err" | tr -d '\r' | head -n 1)
    echo "${case%%|*}: exit status $status, '$said'"
    [[ $status == 2 && "$said" == "${case#*|}" ]] ||
        { echo "expected exit status 2 and '${case#*|}'" >&2; exit 1; }
done
"$wine" "$exe" --help >"$TEST_DIR/options.out" 2>/dev/null
for option in --user-folder --lead-in --calls --level; do
    grep -q -- "$option" "$TEST_DIR/options.out" || { echo "--help lists no $option" >&2; exit 1; }
done

# 1. No TONESETS.INI: its box, titled as the caption, comes before the window is shown.
run=$TEST_DIR/nosets
start "$run" "" nosets
box_find "Quorvel v3" 30
text=$(box_said "$run")
echo "missing tone sets: box 'Quorvel v3': $text"
[[ "$text" == *"No Toneset Definition found. Forced DTMF only."* ]] ||
    { echo "unexpected text in the box" >&2; exit 1; }
box_close
find_window
# The default record asks for the first file set; with none, DTMF1 is selected.
close_and_expect_ini "$run" '0,0,0,"0123456789ABCDEF","70","0","300",0'

# 2. The caption, the client area, and a typed sequence sent with Enter: DTMF1 at 100/60 ms.
# Now and then a Wine process loses every play of its stream from the monitor (each reads about
# 640 ms): that process is closed and the Send tried once more in a new one.
for process in 1 2; do
    run=$TEST_DIR/send$process
    start "$run" '0,0,0,"","100","60","300",0'
    find_window
    [[ "$(caption)" == "Quorvel v3" ]] || { echo "caption '$(caption)' at start" >&2; exit 1; }
    size=$(xwininfo -id "$WINDOW_ID" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    echo "client area: $size"
    [[ "$size" == 276x82 ]] || { echo "expected a client area of 276x82" >&2; exit 1; }
    # A first play sets up Wine's sound for the process; the first often starts late and cut,
    # under Wine only. The caption waits for a time, so it is cleared first.
    keys 1 Return
    caption_ms 400 >/dev/null
    xdotool set_window --name "cleared" "$WINDOW_ID"
    # On a loaded machine Wine now and then starts a play late and loses it from the monitor (the
    # play time then reads about 640 ms): the Send is tried up to three times, each recorded.
    typed="5 9"
    for attempt in 1 2 3; do
        record_monitor_start "$sink"
        # shellcheck disable=SC2086
        keys $typed Return
        typed=""
        ms=$(caption_ms 400)
        # Wine's sound stream buffers what it was given: the last tone reaches the sink's monitor
        # well after the done flag that ended the wait.
        sleep 1.5
        record_monitor_stop
        decoded=$(multimon-ng -q -t raw -a DTMF "$PRIVATE_PULSE_RECORDING" 2>/dev/null |
            sed -n 's/^DTMF: //p' | tr -d '\n')
        echo "Send $attempt: caption '$(caption)', DTMF decode '$decoded'"
        # A stream can also stall inside a tone, which then decodes twice; the symbols and their
        # order must be those typed.
        [[ "$(tr -s '0-9A-F*#' <<<"$decoded")" != 159 ]] || break
        xdotool set_window --name "cleared" "$WINDOW_ID"
    done
    [[ "$(tr -s '0-9A-F*#' <<<"$decoded")" != 159 ]] || break
    ((process == 2)) || { ask_close && wait_exit "$APP" 20; } || true
done
[[ "$(tr -s '0-9A-F*#' <<<"$decoded")" == 159 ]] || { echo "expected 159" >&2; exit 1; }
# Three tones and two pauses (each segment one sample longer): 420 ms of sound.
((ms >= 415 && ms < 1500)) || { echo "a play time of $ms ms for 420 ms of sound" >&2; exit 1; }
close_and_expect_ini "$run" '0,0,0,"159","100","60","300",0'

# 3. The presets: a file set with a pause and the option ticked, then DTMF1 and DTMF2 (the
# pause and the option saved, the presets written, the option cleared) ...
run=$TEST_DIR/dtmf
start "$run" '0,0,2,"1","80","25","300",1'
find_window
keys Tab Tab Tab Tab Home Down
close_and_expect_ini "$run" '0,0,1,"1","250","70","300",0'
# ... and back to the file set: its duration, the saved pause and option.
run=$TEST_DIR/fileset
start "$run" '0,0,2,"1","80","25","300",1'
find_window
keys Tab Tab Tab Tab Home Down Down
close_and_expect_ini "$run" '0,0,2,"1","70","25","300",1'

# A greyed option (2, from the file) is ticked by a click, and cleared by the next.
run=$TEST_DIR/option
start "$run" '0,0,2,"1","70","25","300",2'
find_window
keys Tab Tab Tab Tab Tab space
close_and_expect_ini "$run" '0,0,2,"1","70","25","300",1'
run=$TEST_DIR/option2
start "$run" '0,0,2,"1","70","25","300",2'
find_window
keys Tab Tab Tab Tab Tab space space
close_and_expect_ini "$run" '0,0,2,"1","70","25","300",0'

# 4. During a 10 s play: a close is refused with its box, and Escape stops the play.
run=$TEST_DIR/long
start "$run" "0,0,1,\"$(printf '5%.0s' {1..30})\",\"250\",\"70\",\"300\",0"
find_window
keys Return
sleep 1.5
ask_close
box_find "Quorvel" 10
text=$(box_said "$run")
echo "close during a play: box 'Quorvel': $text"
[[ "$text" == *"Please wait end of sound before closing application."* ]] ||
    { echo "unexpected text in the close refusal" >&2; exit 1; }
box_close
kill -0 "$APP" || { echo "the window closed during the play" >&2; exit 1; }
keys Escape
ms=$(caption_ms 50)
echo "Escape: the play ended after $ms ms of 9600"
((ms < 6000)) || { echo "Escape did not stop the play" >&2; exit 1; }

# 5. After a move, the close writes the new position in twips (15 to a pixel).
xdotool windowmove --sync "$WINDOW_ID" 150 90 || true
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$WINDOW_ID")"
ask_close
wait_exit "$APP" 20
saved=$(tr -d '\r' <"$run/Quorvel.ini")
echo "moved the client area to $X,$Y: Quorvel.ini $saved"
frame_x=$(cut -d, -f1 <<<"$saved") frame_y=$(cut -d, -f2 <<<"$saved")
# The frame's corner lies left of and above the client area's, by the border and title bar.
((frame_x > 0 && frame_x <= X * 15 && frame_y > 0 && frame_y <= Y * 15)) &&
    ((X * 15 - frame_x <= 10 * 15 && Y * 15 - frame_y <= 40 * 15)) ||
    { echo "the saved position does not follow the move" >&2; exit 1; }
[[ "$saved" == "$frame_x,$frame_y,1,\"$(printf '5%.0s' {1..30})\",\"250\",\"70\",\"300\",0" ]] ||
    { echo "the rest of Quorvel.ini changed" >&2; exit 1; }

# 6. The end of the session saves what was typed, as a close does.
run=$TEST_DIR/session
start "$run" '0,0,0,"12","100","60","300",0'
find_window
keys End 3 4
timeout 60 "$wine" wineboot --end-session
wait_exit "$APP" 20 || { echo "the window outlived the session" >&2; exit 1; }
echo "Quorvel.ini after the end of the session: $(tr -d '\r' <"$run/Quorvel.ini")"
[[ "$(cat "$run/Quorvel.ini")" == '0,0,0,"1234","100","60","300",0'$'\r' ]] ||
    { echo "the end of the session did not save what was typed" >&2; exit 1; }

# 7. --user-folder: the window runs in %APPDATA%\Quorvel, with the TONESETS.INI beside the
# program copied there on the first start.
program=$TEST_DIR/program
mkdir "$program"
cp "$exe" "$tonesets" "$program/"
user_folder="$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Roaming/Quorvel"
rm -rf "$user_folder"
(cd "$TEST_DIR" && exec "$wine" "$program/quorvel.exe" --user-folder >/dev/null 2>"$TEST_DIR/user.log") &
APP=$!
TEST_PIDS+=("$APP")
find_window
cmp "$tonesets" "$user_folder/TONESETS.INI" || { echo "TONESETS.INI was not copied" >&2; exit 1; }
close_and_expect_ini "$user_folder" '0,0,2,"0123456789ABCDEF","70","0","300",0'
rm -rf "$user_folder"

# 8. At 144 dots per inch every twip is scaled: a client area of 414 x 123 pixels.
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
run=$TEST_DIR/dpi
start "$run" ""
find_window
size=$(xwininfo -id "$WINDOW_ID" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
echo "client area at 144 dpi: $size"
[[ "$size" == 414x123 ]] || { echo "expected a client area of 414x123 at 144 dpi" >&2; exit 1; }
ask_close
wait_exit "$APP" 20
echo "the window under Wine: all passed"
