#!/usr/bin/env bash
# The real quorvel window under a private Xvfb when the sound server is missing or fails:
#   no server at start-up   the start-up message, then the program ends with no window;
#   a server with no sink   report 1 on Send, and the window goes on;
#   server lost and back    killed 1.5 s into a 5 s play: report 3 and the window goes on;
#                           a Send with no server: a numbered report; the server started
#                           again on the same socket: the next Send plays and decodes.
# Never touches the user's display or sound.
set -euo pipefail
quorvel=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"
source "$here/private-window.sh"

workdir=""
cleanup() {
    private_x_stop
    private_pulse_stop
    [[ -z "$workdir" ]] || rm -rf "$workdir"
}
trap cleanup EXIT
trap "exit 1" INT TERM HUP
workdir=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-faults.XXXXXX")
private_x_start "$workdir"
# "0123" with DTMF1: 1.2 s tones and 0.1 s pauses, 5.1 s of sound.
settings='0,0,0,"0123","1200","100","300",0'

# expect_box TITLE TEXT_PATTERN WHAT: a box with this title and text appears; it is closed.
expect_box() {
    local title=$1 pattern=$2 what=$3 text
    box_find "$title" 15 || { echo "$what: no box" >&2; return 1; }
    text=$(box_text)
    echo "$what: box '$title': $text" | tr '\n' ' '
    echo
    [[ "$text" =~ $pattern ]] || { echo "$what: unexpected text" >&2; return 1; }
    box_close
}

expect_alive() {
    kill -0 "$WINDOW_APP" 2>/dev/null || { echo "$1: quorvel has ended" >&2; return 1; }
    xdotool windowfocus --sync "$WINDOW_ID"
}

no_server_at_start_up() {
    # A socket path where nothing listens.
    mkdir -p "$workdir/none"
    PULSE_SERVER="unix:$workdir/none/native" window_start "$quorvel" "$workdir/none" "$settings"
    expect_box Quorvel "Questo PC non ha schede audio.*Il programma verrà ora chiuso." \
        "no server"
    local status=0
    for _ in $(seq 50); do
        kill -0 "$WINDOW_APP" 2>/dev/null || break
        sleep 0.1
    done
    wait "$WINDOW_APP" || status=$?
    WINDOW_APP=""
    ((status != 0)) || { echo "no server: exit status 0" >&2; return 1; }
    ! xdotool search --name '^Quorvel v3' >/dev/null 2>&1 ||
        { echo "no server: a window appeared" >&2; return 1; }
}

no_sink() {
    private_pulse_start ""
    window_start "$quorvel" "$workdir/nosink" "$settings"
    window_find
    xdotool key Return
    expect_box " SuonaSequenza" "^1\. waveOutOpen failed -  [0-9]+$" "no sink"
    expect_alive "no sink"
    xdotool key Return
    expect_box " SuonaSequenza" "^1\. waveOutOpen failed -  [0-9]+$" "no sink, again"
    expect_alive "no sink"
    private_x_stop
    private_x_start "$workdir"
    private_pulse_stop
}

server_lost_and_back() {
    private_pulse_start faults_sink
    window_start "$quorvel" "$workdir/lost" "$settings"
    window_find
    xdotool key Return
    sleep 1.5
    private_pulse_kill
    expect_box " SuonaSequenza" "^3\. waveOutWrite failed - [ -][0-9]+$" "server killed"
    expect_alive "server killed"
    xdotool key Return
    expect_box " SuonaSequenza" "^[1-5]\. waveOut[A-Za-z]+ failed - " "no server"
    expect_alive "no server"
    private_pulse_launch faults_sink
    record_monitor_start faults_sink
    xdotool key Return
    local ms
    # The failed sends left 0 ms in the caption.
    ms=$(window_caption_ms 1)
    record_monitor_stop
    echo "server back: played in $ms ms"
    ((ms >= 5000)) || { echo "server back: the play ended early" >&2; return 1; }
    expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "0123" "server back"
}

no_server_at_start_up
no_sink
server_lost_and_back
