#!/usr/bin/env bash
# Plays every DTMF symbol with `quorvel-render --play` through a private PulseAudio null
# sink, records the sink's monitor and decodes the recording with multimon-ng, an
# independent decoder. Never touches the user's own sound server.
set -euo pipefail
render=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"

trap private_pulse_stop EXIT
trap "exit 1" INT TERM HUP

private_pulse_start quorvel_test_sink
record_monitor_start quorvel_test_sink
status=0
played=$("$render" --play -s DTMF1 -- "0123456789ABCDEF 1470") || status=$?
echo "quorvel-render: $played (exit status $status)"
((status == 0)) || exit 1
[[ "$played" =~ ^played\ in\ [0-9]+\ ms$ ]] || { echo "unexpected output: '$played'" >&2; exit 1; }
record_monitor_stop
expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "0123456789ABCD*#1470" played
