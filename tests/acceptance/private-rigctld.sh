# Sourced by play_pulse.sh: hamlib's rigctld with its dummy radio on a free loopback port, and
# the scenarios that key through it. Needs rigctld and rigctl (Debian: libhamlib-utils).

# rigctld_start [PTT]: starts rigctld, the radio's PTT over CAT (RIG) or none (NONE); sets
# RIGCTLD_PORT and RIGCTLD_PID.
rigctld_start() {
    RIGCTLD_PORT=$(free_port)
    rigctld -m 1 -P "${1:-RIG}" -T 127.0.0.1 -t "$RIGCTLD_PORT" &
    RIGCTLD_PID=$!
    TEST_PIDS+=("$RIGCTLD_PID")
    for _ in $(seq 50); do
        [[ -z "$(ptt_state)" ]] || return 0
        sleep 0.1
    done
    echo "rigctld did not answer on port $RIGCTLD_PORT" >&2
    return 1
}

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# The radio's PTT state as another client of rigctld reads it: 0, 1, or nothing.
ptt_state() {
    rigctl -m 2 -r "127.0.0.1:$RIGCTLD_PORT" t 2>/dev/null || true
}

# The first and the last byte of the recording's last run of sound (10 ms windows).
last_sound_span() {
    od -An -v -td2 -w2 "$1" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v
        if (++n == 220) { w++; if (m > 2000) { if (w - last > 10) first = w; last = w }; m = 0; n = 0 } }
        END { print (first - 1) * 440, last * 440 }'
}

# keyed_play ARGS...: plays, keyed through the private rigctld under LC_ALL=C.UTF-8, while
# the PTT state is read over and over beside the recording's length; leaves the exit status
# in PLAY_STATUS and the timeline ("state bytes" lines) in PLAY_TIMELINE.
keyed_play() {
    local dir=$PRIVATE_PULSE_DIR
    PLAY_TIMELINE=$dir/timeline
    rm -f "$dir/status"
    (
        status=0
        # A locale whose LC_NUMERIC is not "C", as on most desktops: hamlib's rig_open must
        # meet "C" all the same (under the asan preset, a freed locale name would be read).
        LC_ALL=C.UTF-8 "$render" --play -s DTMF1 --ptt "rigctld:127.0.0.1:$RIGCTLD_PORT" "$@" >"$dir/stdout" \
            2>"$dir/stderr" || status=$?
        echo "$status" >"$dir/status"
    ) &
    local pid=$! until=$((SECONDS + 30))
    while [[ ! -e "$dir/status" ]] && ((SECONDS < until)); do
        echo "$(ptt_state) $(stat -c %s "$PRIVATE_PULSE_RECORDING")"
    done >"$PLAY_TIMELINE"
    wait_exit "$pid" 1 || { echo "the play still runs after 30 s" >&2; return 1; }
    PLAY_STATUS=$(cat "$dir/status")
}

rigctld_call() {
    rigctld_start
    record_monitor_start "$sink"
    "$render" --play -s DTMF1 -t 100 -- 1 >/dev/null # warms up the recorded sink
    # A tail longer than the recorder's latency and one PTT read, so that the last read
    # while keyed comes after the last sound in the recording.
    keyed_play -t 1500 --ptt-tail 300 -- 5
    local after keyed span
    after=$(ptt_state)
    record_monitor_stop
    keyed=$(awk '$1 == 1 { if (!f) f = $2; l = $2 } END { print f + 0, l + 0 }' "$PLAY_TIMELINE")
    span=$(last_sound_span "$PRIVATE_PULSE_RECORDING")
    echo "keyed call: exit $PLAY_STATUS, '$(cat "$PRIVATE_PULSE_DIR/stdout")'," \
        "stderr '$(cat "$PRIVATE_PULSE_DIR/stderr")'; PTT reads $(cut -d' ' -f1 "$PLAY_TIMELINE" | uniq -c | xargs)," \
        "then $after; keyed from byte ${keyed% *} to ${keyed#* }, sound from ${span% *} to ${span#* }"
    ((PLAY_STATUS == 0)) && [[ ! -s "$PRIVATE_PULSE_DIR/stderr" && "$after" == 0 ]] ||
        { echo "expected exit 0, nothing on stderr and PTT 0 after the call" >&2; return 1; }
    ((${keyed% *} > 0 && ${keyed% *} <= ${span% *} && ${span#* } <= ${keyed#* })) ||
        { echo "the recorded sound is not inside the keyed time" >&2; return 1; }
    expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "15" "keyed call"
    stop_keyed INT 130
}

# stop_keyed SIGNAL STATUS: stop_play keyed through the private rigctld, which must read 0 after.
stop_keyed() {
    local after
    stop_play "$1" "$2" --ptt "rigctld:127.0.0.1:$RIGCTLD_PORT"
    after=$(ptt_state)
    echo "PTT after SIG$1: $after"
    [[ "$after" == 0 ]] || { echo "the PTT was left keyed" >&2; return 1; }
}

# expect_refusal WHAT LIMIT_MS PATTERN ARGS...: a keyed play that must fail with status 1
# within LIMIT_MS, its message matching PATTERN, and no sound.
expect_refusal() {
    local what=$1 limit=$2 pattern=$3 started ms errors status=0
    shift 3
    set -- --ptt "rigctld:127.0.0.1:$RIGCTLD_PORT" "$@"
    record_monitor_start "$sink"
    # No PTT reads here: rigctl would wait on the silent listener too.
    started=$(date +%s%N)
    errors=$(timeout 20 "$render" --play -s DTMF1 -t 500 "$@" -- 5 2>&1 >/dev/null) || status=$?
    ms=$((($(date +%s%N) - started) / 1000000))
    record_monitor_stop
    echo "$what: exit $status after $ms ms: $errors"
    ((status == 1 && ms < limit)) || { echo "$what: expected exit 1 within $limit ms" >&2; return 1; }
    [[ "$errors" =~ $pattern ]] || { echo "$what: unexpected message" >&2; return 1; }
    (($(sound_ms "$PRIVATE_PULSE_RECORDING") == 0)) || { echo "$what: sound was played" >&2; return 1; }
}

rigctld_faults() {
    RIGCTLD_PORT=$(free_port)
    expect_refusal "no rigctld" 1500 "rigctld at 127.0.0.1:$RIGCTLD_PORT .*is rigctld running there\?"
    python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(4); time.sleep(3600)' \
        "$RIGCTLD_PORT" &
    TEST_PIDS+=($!)
    sleep 0.5
    expect_refusal "silent listener" 5500 "rigctld at 127.0.0.1:$RIGCTLD_PORT did not answer"
    rigctld_start NONE
    expect_refusal "radio without PTT over CAT" 1500 "cannot drive PTT through rigctld at 127.0.0.1:$RIGCTLD_PORT"

    rigctld_start
    record_monitor_start "$sink"
    (sleep 2 && kill -9 "$RIGCTLD_PID") &
    keyed_play -t 6000 -- 5
    record_monitor_stop
    local ms
    ms=$(sound_ms "$PRIVATE_PULSE_RECORDING")
    echo "rigctld killed 2 s into a 6 s call: exit $PLAY_STATUS, $ms ms of tone, '$(cat "$PRIVATE_PULSE_DIR/stderr")'"
    ((PLAY_STATUS == 1 && ms < 3000)) || { echo "expected exit 1 and the sound stopped" >&2; return 1; }
    grep -q "was closed$" "$PRIVATE_PULSE_DIR/stderr" &&
        grep -q "the release through a new connection to .* failed (.*): the transmitter may still be keyed" \
            "$PRIVATE_PULSE_DIR/stderr" ||
        { echo "the message does not say that the release failed" >&2; return 1; }
}

rigctld_turns() {
    rigctld_start
    stop_keyed USR1 138
    # kill -9 mid-call: the watchdog releases through a connection of its own.
    local pid released=""
    "$render" --play -s DTMF1 -t 5000 --ptt "rigctld:127.0.0.1:$RIGCTLD_PORT" -- 5 2>/dev/null &
    pid=$!
    sleep 1.5
    [[ "$(ptt_state)" == 1 ]] || { echo "not keyed 1.5 s into the call" >&2; return 1; }
    # The watchdog holds its socket to the program and its own connection to rigctld, and
    # none of the program's.
    local watchdog fds
    watchdog=$(pgrep -f -- "--ptt-watchdog rigctld:127.0.0.1:$RIGCTLD_PORT" | head -1)
    fds=$(for fd in /proc/"$watchdog"/fd/*; do echo "${fd##*/}:$(readlink "$fd")"; done | xargs)
    echo "the watchdog's descriptors: $fds"
    (($(grep -o 'socket:' <<<"$fds" | wc -l) == 2)) ||
        { echo "expected two sockets in the watchdog" >&2; return 1; }
    kill -9 "$pid"
    local killed
    killed=$(date +%s%N)
    for _ in $(seq 40); do
        [[ "$(ptt_state)" != 0 ]] || { released=$((($(date +%s%N) - killed) / 1000000)); break; }
    done
    wait "$pid" || true
    echo "kill -9 mid-call: PTT read 0 after ${released:-(never)} ms"
    [[ -n "$released" ]] || { echo "the PTT stayed keyed after kill -9" >&2; return 1; }
    # Two spellings of one rigctld at once: one lock, so one whole call after the other, the
    # PTT read over and over by another client meanwhile.
    record_monitor_start "$sink"
    local first second reads=$PRIVATE_PULSE_DIR/ptt-reads
    "$render" --play -s DTMF1 -t 150 --ptt "rigctld:localhost:$RIGCTLD_PORT" -- 123 >/dev/null & first=$!
    "$render" --play -s DTMF1 -t 150 --ptt "rigctld:127.0.0.1:$RIGCTLD_PORT" -- 456 >/dev/null & second=$!
    while kill -0 "$first" 2>/dev/null || kill -0 "$second" 2>/dev/null; do ptt_state; done >"$reads"
    wait "$first" && wait "$second" || { echo "two runs at once: one failed" >&2; return 1; }
    record_monitor_stop
    local decoded keyed
    decoded=$(multimon-ng -q -t raw -a DTMF "$PRIVATE_PULSE_RECORDING" 2>/dev/null | sed -n 's/^DTMF: //p' | tr -d '\n')
    keyed=$(uniq "$reads" | grep -c '^1$' || true)
    echo "localhost and 127.0.0.1 at once on one rigctld: PTT reads $(uniq -c "$reads" | xargs)," \
        "decoded '$decoded', PTT now $(ptt_state)"
    [[ ("$decoded" == 123456 || "$decoded" == 456123) && "$keyed" == 2 && "$(ptt_state)" == 0 ]] ||
        { echo "the two calls were not sent one after the other, each keyed throughout" >&2; return 1; }
}
