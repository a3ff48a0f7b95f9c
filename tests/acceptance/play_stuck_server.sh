#!/usr/bin/env bash
# `quorvel-render --play` against a sound server that never answers: a socket that takes the
# connection and stays silent, then a real private PulseAudio stopped with SIGSTOP. Each
# must end with a numbered report on standard error and exit status 1 within 15 s.
set -euo pipefail
render=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"

silent=""
cleanup() {
    stop_pid "$silent"
    private_pulse_stop
}
trap cleanup EXIT
trap "exit 1" INT TERM HUP

# expect_numbered_report WHAT: plays against $PULSE_SERVER with a 15 s deadline.
expect_numbered_report() {
    local what=$1 status=0 started errors
    started=$(date +%s%N)
    errors=$(timeout 20 "$render" --play -s DTMF1 -- "0123" 2>&1 >/dev/null) || status=$?
    local ms=$((($(date +%s%N) - started) / 1000000))
    echo "$what: exit status $status after $ms ms: $errors"
    ((status == 1)) || { echo "$what: expected exit status 1" >&2; return 1; }
    ((ms <= 15000)) || { echo "$what: took longer than 15 s" >&2; return 1; }
    [[ "$errors" =~ [1-5]\.\ waveOut[A-Za-z]+\ failed\ -\ [\ -][0-9]+ ]] ||
        { echo "$what: no numbered report" >&2; return 1; }
}

private_pulse_start quorvel_stuck_sink

# A socket that takes the connection and never answers.
python3 "$here/silent-server.py" "$PRIVATE_PULSE_DIR/silent" &
silent=$!
for _ in $(seq 50); do
    [[ -S "$PRIVATE_PULSE_DIR/silent" ]] && break
    sleep 0.1
done
PULSE_SERVER="unix:$PRIVATE_PULSE_DIR/silent" expect_numbered_report "silent socket"

# A real server, frozen.
kill -STOP "$PRIVATE_PULSE_PID"
expect_numbered_report "stopped server"
kill -CONT "$PRIVATE_PULSE_PID"
