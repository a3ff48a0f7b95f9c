#!/usr/bin/env bash
# The play time that `quorvel-render --play` measures for a 4 s tone on a private sound
# server's recorded 22050 Hz null sink lies between the true duration and 150 ms more.
# (A null sink that nothing records plays slowly; the first stream after the recorder
# attaches ends late, so one short play warms the sink up first.)
set -euo pipefail
render=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"

trap private_pulse_stop EXIT
trap "exit 1" INT TERM HUP

private_pulse_start quorvel_time_sink
record_monitor_start quorvel_time_sink
"$render" --play -s DTMF1 -- "1" >/dev/null
played=$("$render" --play -s DTMF1 -t 4000 -- "5")
record_monitor_stop
# One tone segment lasts its sample count + 1: 88201 samples at 22050 Hz.
true_ms=$(((88201 * 1000 + 22049) / 22050))
echo "4 s tone (true duration $true_ms ms): $played"
[[ "$played" =~ ^played\ in\ ([0-9]+)\ ms$ ]] || { echo "unexpected output" >&2; exit 1; }
ms=${BASH_REMATCH[1]}
((ms >= true_ms - 1 && ms <= true_ms + 150)) ||
    { echo "ElapsedMs $ms is outside [$((true_ms - 1)), $((true_ms + 150))]" >&2; exit 1; }
expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "15" "play time"
