#!/usr/bin/env bash
# Resident memory over many sound-server losses in one session: a private PulseAudio server
# (never the user's) is killed during a send and started again on the same socket N times
# (default 100); after each start the session sends once more, which must play. Prints
# the resident size after the warm-up and at every tenth loss, and the growth per loss.
# Usage: run-reconnect-bench.sh RECONNECT_BENCH [N]
set -euo pipefail
bench=$1
losses=${2:-100}
source "$(cd "$(dirname "$0")" && pwd)/../tests/acceptance/private-pulse.sh"
sink=quorvel_bench_sink
trap 'private_pulse_stop; [[ -z "${BENCH_PID:-}" ]] || kill "$BENCH_PID" 2>/dev/null || true' EXIT
private_pulse_start "$sink"
coproc BENCH { "$bench" 2>/dev/null; }
# send [long]: one send; sets RESULT (played or failed) and KB. Not in a subshell: the
# coprocess's pipes are this shell's own. A long send loses its server 0.3 s in.
send() {
    echo "${1:-short}" >&"${BENCH[1]}"
    if [[ "${1:-}" == long ]]; then
        sleep 0.3
        private_pulse_kill
    fi
    read -r RESULT KB <&"${BENCH[0]}"
}
# Warm-up: the first plays and losses fill the allocator's and the libraries' caches.
for _ in 1 2 3 4 5; do
    send long
    private_pulse_launch "$sink"
    send
done
send
first=$KB
echo "after the warm-up: $first kB"
for i in $(seq "$losses"); do
    send long
    gone=$RESULT
    private_pulse_launch "$sink"
    send
    [[ "$gone" == failed && "$RESULT" == played ]] ||
        { echo "loss $i: expected a failed send, then a played one; got $gone, $RESULT" >&2; exit 1; }
    ((i % 10 != 0)) || echo "after $i losses: $KB kB"
done
echo "growth: $(((KB - first) * 1024 / losses)) bytes per loss over $losses losses"
