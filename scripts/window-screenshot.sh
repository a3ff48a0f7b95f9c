#!/usr/bin/env bash
# Takes a screenshot of the real quorvel window under a private Xvfb (and a private PulseAudio
# null sink, since the window starts only with a sound device), cropped to the window. The
# window shows the widest texts its controls hold: DTMF1 selected, 9999, 999 and 9999 in the
# duration boxes, and a 1024-character sequence counted in the label over it.
#
# Usage: window-screenshot.sh QUORVEL OUTPUT.png [SCALE [SETTINGS]]
# SCALE (default 1) is passed as QT_SCALE_FACTOR; SETTINGS, a Quorvel.ini record, replaces the
# widest texts. Needs Xvfb, xdotool and ImageMagick's import.
set -euo pipefail
if [[ $# -lt 2 ]]; then
    echo "usage: window-screenshot.sh QUORVEL OUTPUT.png [SCALE]" >&2
    exit 2
fi
quorvel=$(realpath "$1")
output=$(realpath -m "$2")
scale=${3:-1}
settings=${4:-}
command -v import >/dev/null || { echo "ImageMagick's import is missing (apt-get install imagemagick)" >&2; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/acceptance/private-pulse.sh"

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

private_pulse_start quorvel_screenshot_sink
workdir=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-screenshot.XXXXXX")
Xvfb -displayfd 3 -screen 0 800x400x24 -nolisten tcp -noreset 3>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [[ -s "$workdir/display" ]] && xdotool getdisplaygeometry --display ":$(head -n1 "$workdir/display")" >/dev/null 2>&1 && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$workdir/display")"

mkdir "$workdir/run"
cp "$here/../data/TONESETS.INI" "$workdir/run/"
if [[ -z "$settings" ]]; then
    sequence=$(printf '0123456789ABCDEF%.0s' $(seq 64))
    settings=$(printf '1500,1500,0,"%s","9999","999","9999",0' "$sequence")
fi
printf '%s\r\n' "$settings" >"$workdir/run/Quorvel.ini"
(cd "$workdir/run" && QT_SCALE_FACTOR=$scale exec "$quorvel") >"$workdir/quorvel.log" 2>&1 &
app=$!

window=""
for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --name '^Quorvel v3$' 2>/dev/null | head -n1 || true)
    [[ -n "$window" ]] && break
    sleep 0.1
done
[[ -n "$window" ]] || { echo "the window did not appear" >&2; cat "$workdir/quorvel.log" >&2; exit 1; }
xdotool windowfocus --sync "$window"
# A key released in the sequence box shows its length.
xdotool key End
sleep 0.5

eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
echo "$output: ${WIDTH}x${HEIGHT} at scale $scale"
