#!/usr/bin/env bash
# `quorvel-render --play` on a private sound server (never the user's), its null sink's monitor
# recorded, in one of these scenarios:
#   dtmf    every DTMF symbol plays and decodes with multimon-ng, an independent decoder;
#   timing  a 4 s tone's measured play time lies between its true duration and 150 ms more
#           (the first stream after the recorder attaches ends late: a short play warms up);
#   stop    SIGINT 1 s into a 10 s tone keyed on a CM108 PTT line (a plain file stands in for
#           /dev/hidrawN) exits with 130, leaves less than 1.5 s of tone and releases the line;
#           SIGTERM without PTT exits with 143; SIGHUP under nohup lets the play end;
#           SIGINT while the drain after the last byte
#           is pending (a 150 ms tone: the server takes all of it at once) exits with 130
#           (run under the asan preset, this is the check that no late callback runs);
#   keying  a FIFO read by a logger stands in for /dev/hidrawN, so that each report has its
#           time and two writers their order: kill -9 during a call leaves the line released
#           by the watchdog within 300 ms and no watchdog behind; SIGUSR1 exits with 138,
#           released; a run that waits longer than --ptt-wait names the holder; two runs
#           started together send two whole calls one after the other; a shell loop of
#           three calls stops after the first on SIGINT to its process group; a sender
#           stopped with SIGSTOP mid-call is released by its watchdog at the time-out (+100
#           ms) and, continued, reports it; the watchdog killed mid-call stops the call, the
#           line released within 300 ms and exit status 1 saying why; a watchdog stopped
#           mid-call neither lengthens the call nor delays the run's end, and is not left;
#   held    a keyed call with --device whose sink is unloaded 1 s in fails with a numbered
#           report, the line released within 300 ms and nothing played on the default
#           output; a serial line (a pseudo-terminal, which refuses the modem ioctls) is
#           opened once per run, locked on that descriptor and driven straight after;
#   stuck   a socket that takes the connection and stays silent, one whose queue of
#           connections is full (connect fails with EAGAIN), then the real server stopped
#           with SIGSTOP before the play and 1.5 s into a 5 s play: each ends with a numbered
#           report and exit status 1 within 15 s; the full queue and the stopped server with
#           code 258, never the no-card message; keyed, the time-out timer ends it first;
#   limits  as nobody with ulimit -u 1, and with ulimit -n 5 and 10, a play with and without a
#           line (a FIFO read by a logger) says what ran out and exits with 1 within 5 s;
#           with ulimit -u 2 the thread or the watchdog cannot start; never keyed;
#   rigctld_call  keyed through hamlib's rigctld (its dummy radio on a free loopback port),
#           whose PTT state another client (rigctl) reads: keyed during the call with the
#           recorded sound inside the keyed time, released after it and after SIGINT;
#   rigctld_faults  no rigctld, a silent listener and a radio without PTT over CAT each fail
#           with a clear error in time and no sound; rigctld killed mid-call ends the run with
#           status 1 and the sound stopped;
#   rigctld_turns  released after SIGUSR1 and, by the watchdog, after kill -9; two runs on one
#           rigctld, one written localhost and one 127.0.0.1, send one whole call after the
#           other, the PTT keyed throughout each.
# Usage: play_pulse.sh RENDER SCENARIO
set -euo pipefail
render=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"
test_traps
sink=quorvel_play_sink
private_pulse_start "$sink"

# play_ms OUTPUT: the time in "played in N ms".
play_ms() {
    [[ "$1" =~ ^played\ in\ ([0-9]+)\ ms$ ]] || { echo "unexpected output: '$1'" >&2; return 1; }
    echo "${BASH_REMATCH[1]}"
}

dtmf() {
    record_monitor_start "$sink"
    local played
    played=$("$render" --play -s DTMF1 -- "0123456789ABCDEF 1470")
    echo "quorvel-render: $played"
    play_ms "$played" >/dev/null
    record_monitor_stop
    expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "0123456789ABCD*#1470" played
}

timing() {
    record_monitor_start "$sink"
    "$render" --play -s DTMF1 -- "1" >/dev/null
    local played ms true_ms
    played=$("$render" --play -s DTMF1 -t 4000 -- "5")
    record_monitor_stop
    # One tone segment lasts its sample count + 1: 88201 samples at 22050 Hz.
    true_ms=$(((88201 * 1000 + 22049) / 22050))
    echo "4 s tone (true duration $true_ms ms): $played"
    ms=$(play_ms "$played")
    ((ms >= true_ms - 1 && ms <= true_ms + 150)) ||
        { echo "ElapsedMs $ms is outside [$((true_ms - 1)), $((true_ms + 150))]" >&2; return 1; }
    expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "15" "play time"
}

# stop_play SIGNAL STATUS [OPTIONS...]: plays a 10 s tone and sends SIGNAL 1 s after its
# stream appears; the play must end with STATUS and leave less than 1.5 s of tone.
stop_play() {
    local signal=$1 expected=$2 status=0 pid said ms
    shift 2
    record_monitor_start "$sink"
    "$render" --play -s DTMF1 -t 100 -- 1 >/dev/null # warms up the recorded sink
    # A shell without job control starts background commands with SIGINT ignored, and an
    # ignored signal stays ignored: this one is put back to its default first.
    env --default-signal=INT "$render" --play -s DTMF1 -t 10000 "$@" -- 5 2>"$PRIVATE_PULSE_DIR/stderr" &
    pid=$!
    wait_stream || true
    sleep 1
    kill "-$signal" "$pid"
    wait "$pid" || status=$?
    record_monitor_stop
    said=$(cat "$PRIVATE_PULSE_DIR/stderr")
    ms=$(($(sound_ms "$PRIVATE_PULSE_RECORDING") - 100)) # less the warm-up
    echo "SIG$signal 1 s into a 10 s play: exit $status, '$said', $ms ms of tone recorded"
    ((status == expected)) || { echo "expected exit status $expected" >&2; return 1; }
    [[ "$said" =~ ^stopped\ after\ [0-9]+\ ms$ ]] || { echo "unexpected message" >&2; return 1; }
    ((ms >= 500 && ms < 1500)) || { echo "the tone should have lasted about 1 s, less than 1.5 s" >&2; return 1; }
}

stop() {
    local hidraw="$PRIVATE_PULSE_DIR/hidraw0" reports
    : >"$hidraw"
    stop_play INT 130 --ptt "cm108:$hidraw"
    # Released on open, keyed, released after the stop: report 0, 0, data, mask (GPIO 3), 0.
    reports=$(od -An -v -tx1 "$hidraw" | tr -s ' \n' ' ')
    echo "CM108 reports:$reports"
    [[ "$reports" == " 00 00 00 04 00 00 00 04 04 00 00 00 00 04 00 " ]] ||
        { echo "the PTT line was not keyed and released as expected" >&2; return 1; }
    stop_play TERM 143
    local status=0 pid
    env --default-signal=INT "$render" --play -s DTMF1 -t 150 -- 5 2>"$PRIVATE_PULSE_DIR/stderr" &
    pid=$!
    for _ in $(seq 200); do
        [[ -z "$(pactl list short sink-inputs)" ]] || break
        sleep 0.01
    done
    kill -INT "$pid"
    wait "$pid" || status=$?
    echo "SIGINT while draining: exit $status, '$(cat "$PRIVATE_PULSE_DIR/stderr")'"
    # 0: the play ended before the signal came, which a loaded machine may do.
    ((status == 130 || status == 0)) || { echo "expected exit status 130" >&2; return 1; }
    # Under nohup SIGHUP stays ignored: the play goes on to its end.
    local said
    status=0
    nohup "$render" --play -s DTMF1 -t 1500 --ptt "cm108:$hidraw" -- 5 >"$PRIVATE_PULSE_DIR/out" 2>&1 &
    pid=$!
    sleep 0.8
    kill -HUP "$pid"
    wait "$pid" || status=$?
    said=$(cat "$PRIVATE_PULSE_DIR/out")
    echo "SIGHUP under nohup: exit $status, '$said'"
    ((status == 0)) && [[ "$said" == "played in "* ]] ||
        { echo "a SIGHUP that nohup ignores stopped the play" >&2; return 1; }
}

keying() {
    local fifo=$PRIVATE_PULSE_DIR/hidraw-fifo log=$PRIVATE_PULSE_DIR/reports.log pid killed
    local released="00 00 00 04 00" keyed="00 00 04 04 00" status=0 first
    report_logger "$fifo" "$log"
    for _ in $(seq 50); do [[ -e "$log" ]] && break; sleep 0.1; done

    # kill -9 one second into a keyed 10 s call.
    "$render" --play -s DTMF1 -t 10000 --ptt "cm108:$fifo" -- 5 &
    pid=$!
    wait_stream || true
    sleep 1
    killed=$(now_ms)
    kill -9 "$pid"
    wait "$pid" || true
    wait_lines "$log" 3 || true
    first=$(head -1 "$log" | cut -d' ' -f1)
    echo "kill -9 at +$((killed - first)) ms; the stand-in's reports:"
    awk -v t0="$first" '{ printf "  +%d ms  %s\n", $1 - t0, substr($0, index($0, " ") + 1) }' "$log"
    expect_watchdog_release "$log" 3 "$killed" "$fifo"

    # SIGUSR1: the line is released and the status says which signal.
    stop_play USR1 138 --ptt "cm108:$fifo"
    wait_lines "$log" 6 || true
    [[ "$(sed -n 6p "$log" | cut -d' ' -f2-)" == "$released" ]] ||
        { echo "the line was not released after SIGUSR1" >&2; return 1; }

    # A run that cannot have the line within --ptt-wait names the line and who holds it.
    "$render" --play -s DTMF1 -t 3000 --ptt "cm108:$fifo" -- 5 >/dev/null &
    pid=$!
    sleep 0.5
    local said
    said=$("$render" --play -s DTMF1 --ptt "cm108:$fifo" --ptt-wait 0.3 -- 1 2>&1) || status=$?
    wait "$pid"
    echo "a second run with --ptt-wait 0.3: exit $status, '$said'"
    ((status == 1)) && [[ "$said" == *"GPIO 3 of $fifo is in use by process $pid (quorvel-render)"* ]] ||
        { echo "expected the line and its holder named" >&2; return 1; }
    status=0
    wait_lines "$log" 9 || true

    # Two runs on one line started together: one whole call after the other.
    record_monitor_start "$sink"
    "$render" --play -s DTMF1 --ptt "cm108:$fifo" -- 123 >/dev/null &
    pid=$!
    "$render" --play -s DTMF1 --ptt "cm108:$fifo" -- 456 >/dev/null || status=$?
    wait "$pid" || status=$?
    record_monitor_stop
    ((status == 0)) || { echo "a run of the two failed with $status" >&2; return 1; }
    wait_lines "$log" 15 || true
    echo "two runs together, the stand-in's reports:"
    tail -n +10 "$log" | awk -v t0="$first" '{ printf "  +%d ms  %s\n", $1 - t0, substr($0, index($0, " ") + 1) }'
    [[ "$(tail -n +10 "$log" | cut -d' ' -f2- | tr '\n' '|')" == \
        "$released|$keyed|$released|$released|$keyed|$released|" ]] ||
        { echo "the two runs' reports are mixed" >&2; return 1; }
    local decoded
    decoded=$(multimon-ng -q -t raw -a DTMF "$PRIVATE_PULSE_RECORDING" 2>/dev/null | sed -n 's/^DTMF: //p' | tr -d '\n')
    echo "two runs together, DTMF decode: $decoded"
    [[ "$decoded" == 123456 || "$decoded" == 456123 ]] ||
        { echo "expected the two calls whole, one after the other" >&2; return 1; }

    # A shell loop of three keyed calls, Ctrl+C to its process group during the first: the
    # call ends by SIGINT once released, so the shell stops the loop and sends nothing more.
    local group lines
    lines=$(wc -l <"$log")
    env --default-signal=INT setsid bash -c 'echo $$ >"$2"; for i in 1 2 3; do
        "$1" --play -s DTMF1 -t 2000 --ptt "cm108:$3" -- 5 >/dev/null 2>&1; done' \
        loop "$render" "$PRIVATE_PULSE_DIR/loop.pgid" "$fifo" &
    pid=$!
    wait_stream || true
    sleep 0.5
    group=$(cat "$PRIVATE_PULSE_DIR/loop.pgid")
    kill -INT -- "-$group"
    status=0
    wait "$pid" || status=$?
    sleep 2 # time enough for a second call to key, were the loop going on
    echo "a loop of three calls, SIGINT to its process group: exit $status, the reports:"
    tail -n +"$((lines + 1))" "$log" | awk -v t0="$first" '{ printf "  +%d ms  %s\n", $1 - t0, substr($0, index($0, " ") + 1) }'
    ((status == 130)) || { echo "the loop did not end by SIGINT" >&2; return 1; }
    [[ "$(tail -n +"$((lines + 1))" "$log" | cut -d' ' -f2- | tr '\n' '|')" == \
        "$released|$keyed|$released|" ]] ||
        { echo "expected one call only" >&2; return 1; }

    # The sender stopped (kill -STOP) 1 s into a 2.6 s call under a 3 s time-out: its watchdog
    # releases the line at the time-out by itself; continued, the sender says so and exits 1.
    local keyed_at released_at stopped
    lines=$(wc -l <"$log")
    "$render" --play -s DTMF1 -t 2000 --ptt "cm108:$fifo" --ptt-timeout 3 -- 5 \
        2>"$PRIVATE_PULSE_DIR/stderr" &
    pid=$!
    wait_stream || true
    sleep 1
    kill -STOP "$pid"
    stopped=$(now_ms)
    sleep 3
    kill -CONT "$pid"
    status=0
    wait "$pid" || status=$?
    wait_lines "$log" $((lines + 4)) || true
    keyed_at=$(sed -n "$((lines + 2))p" "$log" | cut -d' ' -f1)
    released_at=$(sed -n "$((lines + 3))p" "$log" | cut -d' ' -f1)
    echo "kill -STOP at +$((stopped - first)) ms, kill -CONT 3 s later: exit $status," \
        "'$(cat "$PRIVATE_PULSE_DIR/stderr")'; keyed for $((released_at - keyed_at)) ms; the reports:"
    tail -n +"$((lines + 1))" "$log" | awk -v t0="$first" '{ printf "  +%d ms  %s\n", $1 - t0, substr($0, index($0, " ") + 1) }'
    [[ "$(sed -n "$((lines + 2)),$((lines + 3))p" "$log" | cut -d' ' -f2- | tr '\n' '|')" == \
        "$keyed|$released|" ]] && ((released_at - keyed_at >= 2990 && released_at - keyed_at <= 3100)) ||
        { echo "the watchdog did not release at the time-out (+100 ms)" >&2; return 1; }
    ((status == 1)) && grep -q "time-out of 3 s ran out before the sound ended; the sound was stopped" \
        "$PRIVATE_PULSE_DIR/stderr" || { echo "the sender did not report the time-out" >&2; return 1; }

    # The watchdog killed 1 s into a call: the sender stops, releases within 300 ms, and says
    # why with exit status 1.
    local watchdog killed
    lines=$(wc -l <"$log")
    "$render" --play -s DTMF1 -t 3000 --ptt "cm108:$fifo" -- 5 2>"$PRIVATE_PULSE_DIR/stderr" &
    pid=$!
    wait_stream || true
    sleep 1
    watchdog=$(pgrep -f -- "--ptt-watchdog cm108:$fifo" | head -1)
    killed=$(now_ms)
    kill -9 "$watchdog"
    status=0
    wait "$pid" || status=$?
    wait_lines "$log" $((lines + 3)) || true
    released_at=$(sed -n "$((lines + 3))p" "$log" | cut -d' ' -f1)
    echo "the watchdog killed at +$((killed - first)) ms: exit $status," \
        "'$(cat "$PRIVATE_PULSE_DIR/stderr")'; released $((released_at - killed)) ms later; the reports:"
    tail -n +"$((lines + 1))" "$log" | awk -v t0="$first" '{ printf "  +%d ms  %s\n", $1 - t0, substr($0, index($0, " ") + 1) }'
    [[ "$(tail -n +"$((lines + 1))" "$log" | cut -d' ' -f2- | tr '\n' '|')" == "$released|$keyed|$released|" ]] &&
        ((released_at - killed <= 300)) ||
        { echo "the line was not released within 300 ms of the watchdog's end" >&2; return 1; }
    ((status == 1)) && [[ "$(cat "$PRIVATE_PULSE_DIR/stderr")" == \
        "quorvel-render: the PTT watchdog ended during the call; the call was stopped and GPIO 3 of $fifo released" ]] ||
        { echo "expected exit 1 saying that the watchdog ended" >&2; return 1; }

    # The watchdog stopped (kill -STOP) during a 1.5 s call: the call goes on to its end, the
    # run ends straight after its release, and leaves no watchdog behind.
    local ended
    lines=$(wc -l <"$log")
    "$render" --play -s DTMF1 -t 1500 --ptt "cm108:$fifo" -- 5 >"$PRIVATE_PULSE_DIR/out" 2>&1 &
    pid=$!
    wait_stream || true
    watchdog=$(pgrep -f -- "--ptt-watchdog cm108:$fifo" | head -1)
    kill -STOP "$watchdog"
    status=0
    wait "$pid" || status=$?
    ended=$(now_ms)
    wait_lines "$log" $((lines + 3)) || true
    keyed_at=$(sed -n "$((lines + 2))p" "$log" | cut -d' ' -f1)
    released_at=$(sed -n "$((lines + 3))p" "$log" | cut -d' ' -f1)
    sleep 0.2
    echo "the watchdog stopped during a 1.5 s call: exit $status, '$(cat "$PRIVATE_PULSE_DIR/out")';" \
        "keyed for $((released_at - keyed_at)) ms, ended $((ended - released_at)) ms after the release"
    # Keyed for the lead (250 ms), the play and the tail (50 ms), and no longer.
    local played
    played=$(play_ms "$(cat "$PRIVATE_PULSE_DIR/out")")
    ((status == 0 && released_at - keyed_at - played - 300 <= 150 && ended - released_at <= 300)) ||
        { echo "a stopped watchdog lengthened the call or delayed the end" >&2; return 1; }
    ! pgrep -f -- "--ptt-watchdog cm108:$fifo" >/dev/null || { echo "a watchdog is left" >&2; return 1; }
}

# expect_numbered_report WHAT [REPORT [CODE]]: plays 5 s against $PULSE_SERVER with a 15 s
# deadline; the report is numbered REPORT and gives CODE when they are given.
expect_numbered_report() {
    local what=$1 report=${2:-[1-5]} code=${3:-[0-9]+} status=0 started errors ms
    started=$(date +%s%N)
    errors=$(timeout 20 "$render" --play -s DTMF1 -t 5000 -- "0" 2>&1 >/dev/null) || status=$?
    ms=$((($(date +%s%N) - started) / 1000000))
    echo "$what: exit status $status after $ms ms: $errors"
    ((status == 1)) || { echo "$what: expected exit status 1" >&2; return 1; }
    ((ms <= 15000)) || { echo "$what: took longer than 15 s" >&2; return 1; }
    [[ "$errors" =~ $report\.\ waveOut[A-Za-z]+\ failed\ -\ [\ -]$code ]] ||
        { echo "$what: no numbered report" >&2; return 1; }
}

stuck() {
    # A listening socket queues connections that nobody accepts, and never answers.
    local silent=$PRIVATE_PULSE_DIR/silent
    python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(16); time.sleep(3600)' \
        "$silent" &
    TEST_PIDS+=($!)
    for _ in $(seq 50); do
        [[ -S "$silent" ]] && break
        sleep 0.1
    done
    PULSE_SERVER="unix:$silent" expect_numbered_report "silent socket"
    # A queue of one, filled: every further connect fails with EAGAIN, as a frozen server's
    # does once its queue is full.
    local full=$PRIVATE_PULSE_DIR/full
    python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(0)
held = []
while True:
    c = socket.socket(socket.AF_UNIX); c.setblocking(False)
    try: c.connect(sys.argv[1])
    except BlockingIOError: break
    held.append(c)
open(sys.argv[1] + ".ready", "w").close(); time.sleep(3600)' "$full" &
    TEST_PIDS+=($!)
    for _ in $(seq 50); do
        [[ -e "$full.ready" ]] && break
        sleep 0.1
    done
    PULSE_SERVER="unix:$full" expect_numbered_report "full queue" 1 258
    kill -STOP "$PRIVATE_PULSE_PID"
    expect_numbered_report "stopped server" 1 258
    kill -CONT "$PRIVATE_PULSE_PID"
    (sleep 1.5 && kill -STOP "$PRIVATE_PULSE_PID") &
    expect_numbered_report "server stopped during the play" 3
    kill -CONT "$PRIVATE_PULSE_PID"
    # Keyed, the time-out timer ends the call first: at 2.5 s from the key, released.
    local hidraw=$PRIVATE_PULSE_DIR/hidraw0 status=0 errors started ms
    : >"$hidraw"
    (sleep 0.8 && kill -STOP "$PRIVATE_PULSE_PID") &
    started=$(date +%s%N)
    errors=$(timeout 20 "$render" --play -s DTMF1 -t 1500 --ptt "cm108:$hidraw" --ptt-timeout 2,5 \
        -- 0 2>&1 >/dev/null) || status=$?
    ms=$((($(date +%s%N) - started) / 1000000))
    kill -CONT "$PRIVATE_PULSE_PID"
    echo "keyed, server stopped during the play: exit status $status after $ms ms: $errors"
    ((status == 1 && ms < 4000)) && [[ "$errors" == *"time-out of 2.5 s ran out"* ]] ||
        { echo "the time-out did not end the call" >&2; return 1; }
    [[ "$(od -An -v -tx1 "$hidraw" | tr -s ' \n' ' ')" == " 00 00 00 04 00 00 00 04 04 00 00 00 00 04 00 " ]] ||
        { echo "the line was not released" >&2; return 1; }
}

held() {
    local fifo=$PRIVATE_PULSE_DIR/hidraw-fifo log=$PRIVATE_PULSE_DIR/reports.log module pid
    local status=0 unloaded first said ms
    report_logger "$fifo" "$log"
    for _ in $(seq 50); do [[ -e "$log" ]] && break; sleep 0.1; done
    module=$(pactl load-module module-null-sink sink_name=radio rate=22050 channels=1)
    pactl set-default-sink "$sink"
    record_monitor_start "$sink"
    "$render" --play -s DTMF1 -t 3000 --device radio --ptt "cm108:$fifo" -- 5 \
        2>"$PRIVATE_PULSE_DIR/stderr" &
    pid=$!
    wait_stream || true
    sleep 1
    unloaded=$(now_ms)
    pactl unload-module "$module"
    wait "$pid" || status=$?
    record_monitor_stop
    wait_lines "$log" 3 || true
    first=$(head -1 "$log" | cut -d' ' -f1)
    said=$(cat "$PRIVATE_PULSE_DIR/stderr")
    ms=$(sound_ms "$PRIVATE_PULSE_RECORDING")
    echo "--device sink unloaded at +$((unloaded - first)) ms: exit $status, '$said';" \
        "$ms ms of tone on the default output; the stand-in's reports:"
    awk -v t0="$first" '{ printf "  +%d ms  %s\n", $1 - t0, substr($0, index($0, " ") + 1) }' "$log"
    ((status == 1)) && [[ "$said" == *"3. waveOutWrite failed - "*"the output went away during the play"* ]] ||
        { echo "expected exit 1 with the numbered report and its reason" >&2; return 1; }
    [[ "$(sed -n 3p "$log" | cut -d' ' -f2-)" == "00 00 00 04 00" ]] &&
        (($(sed -n 3p "$log" | cut -d' ' -f1) - unloaded <= 300)) ||
        { echo "the line was not released within 300 ms" >&2; return 1; }
    ((ms == 0)) || { echo "the call went on on the default output" >&2; return 1; }

    # A serial line: one open of the device per run, the lock and the release on it.
    local pty trace=$PRIVATE_PULSE_DIR/strace
    python3 -c 'import os, pty, sys, time
m, s = pty.openpty(); print(os.ttyname(s), flush=True); time.sleep(3600)' >"$PRIVATE_PULSE_DIR/pty" &
    TEST_PIDS+=($!)
    for _ in $(seq 50); do [[ -s "$PRIVATE_PULSE_DIR/pty" ]] && break; sleep 0.1; done
    pty=$(cat "$PRIVATE_PULSE_DIR/pty")
    status=0
    strace -f -tt -e trace=openat,open,flock,ioctl -o "$trace" \
        "$render" --play -s DTMF1 --ptt "serial:$pty:rts,-dtr" -- 1 2>"$PRIVATE_PULSE_DIR/stderr" ||
        status=$?
    echo "serial:$pty:rts,-dtr: exit $status, '$(cat "$PRIVATE_PULSE_DIR/stderr")'; strace:"
    local fd
    fd=$(sed -n "s|.*open.*\"$pty\".* = \([0-9]*\)\$|\1|p" "$trace" | head -1)
    grep -E "\"$pty\"|(flock|ioctl)\($fd, " "$trace" | sed 's/^/  /'
    (($(grep -c "open.*\"$pty\"" "$trace") == 1)) ||
        { echo "expected one open of $pty" >&2; return 1; }
    grep -A1 "open.*\"$pty\"" "$trace" | tail -1 | grep -q "flock($fd, LOCK_EX|LOCK_NB)" &&
        grep -A2 "open.*\"$pty\"" "$trace" | tail -1 | grep -q "ioctl($fd, TIOCMBIC, \[TIOCM_DTR|TIOCM_RTS\])" ||
        { echo "expected the lock and then the release of both lines on the opened port" >&2; return 1; }
}

limits() {
    limits_start
    cp "$render" "$LIMITS_DIR/quorvel-render"
    local fifo=$LIMITS_DIR/hidraw-fifo log=$PRIVATE_PULSE_DIR/reports.log line args
    report_logger "$fifo" "$log"
    for _ in $(seq 50); do [[ -e "$log" ]] && break; sleep 0.1; done
    chmod 666 "$fifo"
    local thread="^quorvel-render: cannot start a thread: this user may run no more processes"
    thread+=" and threads \(ulimit -u 1\)$"
    local files="^quorvel-render: cannot open enough files: this process may have N open"
    files+=" \(ulimit -n\), too few to play$"
    for line in "" "cm108:$fifo"; do
        args=(--play -s DTMF1 ${line:+--ptt "$line"} -- 123)
        expect_limited "ulimit -u 1${line:+, keyed}" 5 "$thread" nproc=1 \
            "$LIMITS_DIR/quorvel-render" "${args[@]}"
        for n in 5 10; do
            expect_limited "ulimit -n $n${line:+, keyed}" 5 "${files/N/$n}" "nofile=$n" \
                "$render" "${args[@]}"
        done
    done
    # Two tasks: the sound server's thread takes the second, and the watchdog finds none left
    # (or, if another program of nobody's runs meanwhile, the thread finds none).
    expect_limited "ulimit -u 2, keyed" 5 \
        "^quorvel-render: cannot start (a thread|the PTT watchdog): this user may run no more processes and threads \(ulimit -u 2\)$" \
        nproc=2 "$LIMITS_DIR/quorvel-render" --play -s DTMF1 --ptt "cm108:$fifo" -- 123
    sleep 0.2
    echo "the stand-in's reports: $(cut -d' ' -f2- "$log" | tr '\n' '|')"
    ! grep -q " 00 00 04 04 00$" "$log" || { echo "the line was keyed" >&2; return 1; }
}

source "$here/private-rigctld.sh"

"$2"
