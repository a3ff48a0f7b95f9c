#!/usr/bin/env bash
# Plays every DTMF symbol with `quorvel-render --play` through a private PulseAudio null
# sink, records the sink's monitor and decodes the recording with multimon-ng, an
# independent decoder. Never touches the user's own sound server.
set -euo pipefail
render=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"

sink=quorvel_test_sink
recorder=""
cleanup() {
    if [[ -n "$recorder" ]]; then
        kill "$recorder" 2>/dev/null || true
        wait "$recorder" 2>/dev/null || true
    fi
    private_pulse_stop
}
trap cleanup EXIT
trap "exit 1" INT TERM HUP

private_pulse_start "$sink"
recording="$PRIVATE_PULSE_DIR/monitor.raw"

parec -d "$sink.monitor" --latency-msec=20 --rate=22050 --channels=1 --format=s16le \
    >"$recording" &
recorder=$!
# The recorder needs a moment to connect, or the first tones are lost.
sleep 1

status=0
played=$("$render" --play -s DTMF1 -- "0123456789ABCDEF 1470") || status=$?
echo "quorvel-render: $played (exit status $status)"
((status == 0)) || exit 1
[[ "$played" =~ ^played\ in\ [0-9]+\ ms$ ]] || { echo "unexpected output: '$played'" >&2; exit 1; }

# Let the last samples reach the recording before it stops.
sleep 0.5
kill "$recorder"
wait "$recorder" 2>/dev/null || true
recorder=""

expect_dtmf_decode "$recording" "0123456789ABCD*#1470" played
