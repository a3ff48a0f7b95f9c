#!/usr/bin/env bash
# A signal stops `quorvel-render --play` at once: SIGINT 1 s into a 10 s tone, played with a
# CM108 PTT line (a plain file stands in for /dev/hidrawN), exits with 130, leaves less than
# 1.5 s of tone on the private server's recorded monitor, and releases the line; SIGTERM
# without PTT exits with 143. Never touches the user's own sound.
set -euo pipefail
render=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"

trap private_pulse_stop EXIT
trap "exit 1" INT TERM HUP

# The length of the last tone in a 22050 Hz recording, from its first to its last loud sample
# (runs more than 0.1 s apart are separate tones).
last_tone_seconds() {
    python3 - "$1" <<'PY'
import array, sys
samples = array.array("h")
samples.frombytes(open(sys.argv[1], "rb").read())
loud = [i for i, v in enumerate(samples) if abs(v) > 1000]
start = loud[0] if loud else 0
for previous, i in zip(loud, loud[1:]):
    if i - previous > 2205:
        start = i
print("%.3f" % ((loud[-1] - start + 1) / 22050 if loud else 0))
PY
}

# stop_play SIGNAL STATUS [OPTIONS...]: plays a 10 s tone and sends SIGNAL 1 s after its
# stream appears; the play must end with STATUS and leave less than 1.5 s of tone.
stop_play() {
    local signal=$1 expected=$2 status=0
    shift 2
    record_monitor_start quorvel_stop_sink
    "$render" --play -s DTMF1 -- 1 >/dev/null # warms up the recorded sink
    "$render" --play -s DTMF1 -t 10000 "$@" -- 5 2>"$PRIVATE_PULSE_DIR/stderr" &
    local pid=$!
    for _ in $(seq 200); do
        [[ -z "$(pactl list short sink-inputs)" ]] || break
        sleep 0.05
    done
    sleep 1
    kill "-$signal" "$pid"
    wait "$pid" || status=$?
    record_monitor_stop
    local said seconds
    said=$(cat "$PRIVATE_PULSE_DIR/stderr")
    seconds=$(last_tone_seconds "$PRIVATE_PULSE_RECORDING")
    echo "SIG$signal 1 s into a 10 s play: exit $status, '$said', $seconds s of tone recorded"
    ((status == expected)) || { echo "expected exit status $expected" >&2; return 1; }
    [[ "$said" =~ ^stopped\ after\ [0-9]+\ ms$ ]] || { echo "unexpected message" >&2; return 1; }
    python3 -c "import sys; sys.exit(not 0.5 <= $seconds < 1.5)" ||
        { echo "the tone should have lasted about 1 s, less than 1.5 s" >&2; return 1; }
}

private_pulse_start quorvel_stop_sink
hidraw="$PRIVATE_PULSE_DIR/hidraw0"
: >"$hidraw"
stop_play INT 130 --ptt "cm108:$hidraw"
# Released on open, keyed, released after the stop: report 0, 0, data, mask (GPIO 3), 0.
reports=$(od -An -v -tx1 "$hidraw" | tr -s ' \n' ' ')
echo "CM108 reports:$reports"
[[ "$reports" == " 00 00 00 04 00 00 00 04 04 00 00 00 00 04 00 " ]] ||
    { echo "the PTT line was not keyed and released as expected" >&2; exit 1; }
stop_play TERM 143
