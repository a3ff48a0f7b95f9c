#!/usr/bin/env bash
# Starts the real quorvel window under a private Xvfb with a private PulseAudio null sink,
# types a sequence into the sequence box with xdotool (lower-case letters, which the box
# upper-cases) and presses Enter. The sink's monitor is recorded and decoded with multimon-ng,
# and the caption must then show the play time. Then, with minutes-long tones, Escape must stop
# a play, and SIGTERM during the next one must stop it and close the window, saving what was
# typed in Quorvel.ini. Never touches the user's display or sound.
set -euo pipefail
quorvel=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"

sink=quorvel_window_sink
xvfb=""
app=""
workdir=""
cleanup() {
    stop_pid "$app"
    stop_pid "$xvfb"
    private_pulse_stop
    [[ -z "$workdir" ]] || rm -rf "$workdir"
}
trap cleanup EXIT
trap "exit 1" INT TERM HUP

private_pulse_start "$sink"
workdir=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-window.XXXXXX")

# Xvfb picks a free display and writes its number to the descriptor given.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [[ -s "$workdir/display" ]] && break
    sleep 0.1
done
[[ -s "$workdir/display" ]] || { echo "Xvfb did not start" >&2; cat "$workdir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$workdir/display")"
# The server must take a client before the window is started on it. (-noreset: a server
# that resets when its last client leaves refuses connections for a moment.)
for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done
xdotool getdisplaygeometry >/dev/null 2>&1 ||
    { echo "Xvfb on $DISPLAY takes no client" >&2; cat "$workdir/xvfb.log" >&2; exit 1; }

# The shipped tone sets (so that no message box comes first), DTMF1 with 70 ms tones and
# 60 ms pauses, and an empty sequence box to type into.
mkdir "$workdir/run"
cp "$here/../../data/TONESETS.INI" "$workdir/run/"
printf '0,0,0,"","70","60","300",0\r\n' >"$workdir/run/Quorvel.ini"
# start_window: starts quorvel in the run directory and focuses its window; sets app and window.
start_window() {
    (cd "$workdir/run" && exec "$quorvel") >"$workdir/quorvel.log" 2>&1 &
    app=$!
    # Qt creates and destroys helper windows while it starts, which can fail a search midway.
    window=""
    for _ in $(seq 200); do
        window=$(xdotool search --onlyvisible --name '^Quorvel v3$' 2>/dev/null | head -n1 || true)
        [[ -n "$window" ]] && break
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    if [[ -z "$window" ]]; then
        echo "the window did not appear on $DISPLAY; quorvel's output:" >&2
        cat "$workdir/quorvel.log" >&2
        echo "Xvfb's output:" >&2
        cat "$workdir/xvfb.log" >&2
        exit 1
    fi
    xdotool windowfocus --sync "$window"
}

# end_by_signal SIGNAL EXPECTED: the window must end within 10 s of SIGNAL with status 0,
# leaving a Quorvel.ini that ends with EXPECTED.
end_by_signal() {
    kill "-$1" "$app"
    for _ in $(seq 100); do
        kill -0 "$app" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$app" 2>/dev/null; then
        echo "the window did not end within 10 s of SIG$1" >&2
        exit 1
    fi
    local status=0 settings
    wait "$app" || status=$?
    app=""
    settings=$(tr -d '\r' <"$workdir/run/Quorvel.ini")
    echo "after SIG$1: exit status $status, Quorvel.ini: $settings"
    if [[ $status -ne 0 || "$settings" != *"$2" ]]; then
        echo "SIG$1 did not close the window as a close does" >&2
        cat "$workdir/quorvel.log" >&2
        exit 1
    fi
}

start_window
record_monitor_start "$sink"
xdotool type --delay 30 "0123456789abcdef 1470"
xdotool key Return

# wait_for_time PREVIOUS: waits up to 30 s for a caption with a play time other than PREVIOUS;
# sets caption and ms.
wait_for_time() {
    caption=""
    for _ in $(seq 300); do
        caption=$(xdotool getwindowname "$window")
        [[ "$caption" =~ ^Quorvel\ v3\ -\ [0-9]+mS$ && "$caption" != "$1" ]] && break
        sleep 0.1
    done
    echo "caption: $caption"
    if [[ ! "$caption" =~ ^Quorvel\ v3\ -\ ([0-9]+)mS$ || "$caption" == "$1" ]]; then
        echo "the caption never showed a new play time" >&2
        cat "$workdir/quorvel.log" >&2
        exit 1
    fi
    ms=${BASH_REMATCH[1]}
}
wait_for_time ""
# 20 tones of 70 ms, 18 pauses of 60 ms and one of 300 ms make about 2.5 s of sound.
if ((ms < 2000 || ms > 10000)); then
    echo "implausible play time: $ms ms" >&2
    exit 1
fi

record_monitor_stop
expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "0123456789ABCD*#1470" window

# 9999 ms tones: the sequence would play for minutes. Tab to the tone duration (Text1, the
# button, Text2), replace it, back to the button, and press it; Escape stops the play.
xdotool key Tab Tab ctrl+a
xdotool type 9999
xdotool key shift+Tab space
sleep 1.5
xdotool key Escape
wait_for_time "$caption"
if ((ms < 500 || ms > 10000)); then
    echo "Escape 1.5 s into the play: implausible play time $ms ms" >&2
    exit 1
fi

# SIGTERM during the next play stops it and closes the window, which saves its fields.
xdotool key space
sleep 1
end_by_signal TERM ',0,"0123456789ABCDEF 1470","9999","60","300",0'

# SIGHUP while idle closes it too, saving what was typed since the start.
start_window
xdotool key End
xdotool type --delay 30 "789"
end_by_signal HUP ',0,"0123456789ABCDEF 1470789","9999","60","300",0'
