#!/usr/bin/env bash
# Starts the real quorvel window under a private Xvfb with a private PulseAudio null sink,
# types a sequence into the sequence box with xdotool (lower-case letters, which the box
# upper-cases) and presses Enter. The sink's monitor is recorded and decoded with multimon-ng,
# and the caption must then show the play time. Never touches the user's display or sound.
set -euo pipefail
quorvel=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"
source "$here/private-window.sh"

sink=quorvel_window_sink
workdir=""
cleanup() {
    private_x_stop
    private_pulse_stop
    [[ -z "$workdir" ]] || rm -rf "$workdir"
}
trap cleanup EXIT
trap "exit 1" INT TERM HUP

private_pulse_start "$sink"
workdir=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-window.XXXXXX")
private_x_start "$workdir"
# DTMF1 with 70 ms tones and 60 ms pauses, and an empty sequence box to type into.
window_start "$quorvel" "$workdir" '0,0,0,"","70","60","300",0'
window_find || { cat "$workdir/quorvel.log" >&2; exit 1; }

record_monitor_start "$sink"
xdotool type --delay 30 "0123456789abcdef 1470"
xdotool key Return
ms=$(window_caption_ms) || { cat "$workdir/quorvel.log" >&2; exit 1; }
echo "caption: Quorvel v3 - ${ms}mS"
# 20 tones of 70 ms, 18 pauses of 60 ms and one of 300 ms make about 2.5 s of sound.
if ((ms < 2000 || ms > 10000)); then
    echo "implausible play time: $ms ms" >&2
    exit 1
fi

record_monitor_stop
expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "0123456789ABCD*#1470" window
