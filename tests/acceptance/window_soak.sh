#!/usr/bin/env bash
# Soak: the real quorvel window under a private Xvfb sends "0123" with DTMF1 (about 0.7 s of
# sound) SENDS times, by Enter in the sequence box, with gaps of 1.1 to 1.6 s, on a private
# sound server's null sink of each FORMAT (RATE/CHANNELS) in turn, its monitor recorded.
# Each run: the process stays alive, every call decodes with multimon-ng, and closing the
# window writes Quorvel.ini. Never touches the user's display or sound.
# Usage: window_soak.sh QUORVEL SENDS FORMAT...   e.g. quorvel 40 22050/1 48000/2
set -euo pipefail
quorvel=$(realpath "$1")
sends=$2
shift 2
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
workdir=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-soak.XXXXXX")
private_x_start "$workdir"

soak() {
    local rate=$1 channels=$2 dir="$workdir/$1x$2" send
    mkdir -p "$dir"
    private_pulse_start soak_sink "$rate" "$channels"
    window_start "$quorvel" "$dir" '0,0,0,"0123","100","100","300",0'
    window_find
    # Read at load; from here on only the close can write it.
    rm "$dir/run/Quorvel.ini"
    record_monitor_start soak_sink
    # The first stream after the recorder attaches ends late: one send, waited for, first.
    xdotool key Return
    window_caption_ms >/dev/null
    local captions=""
    for send in $(seq "$sends"); do
        xdotool key Return
        sleep "1.$((RANDOM % 6 + 1))"
        if ! kill -0 "$WINDOW_APP" 2>/dev/null; then
            echo "$rate Hz x$channels: quorvel died during send $send" >&2
            cat "$dir/quorvel.log" >&2
            return 1
        fi
        captions+=" $(xdotool getwindowname "$WINDOW_ID" | sed 's/.* - //')"
    done
    record_monitor_stop
    expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "$(printf '0123%.0s' $(seq 0 "$sends"))" \
        "$rate Hz x$channels, $sends sends:" || { echo "captions:$captions" >&2; return 1; }
    window_close || { echo "quorvel failed at its close" >&2; cat "$dir/quorvel.log" >&2; return 1; }
    grep -q '"0123"' "$dir/run/Quorvel.ini" ||
        { echo "the close did not write Quorvel.ini" >&2; return 1; }
    private_pulse_stop
}

for format in "$@"; do
    soak "${format%/*}" "${format#*/}"
done
