# Sourced by the acceptance scripts: a private sound server with one null sink, in a
# temporary directory, so that a test never plays on (or records from) the user's own sound.
# QUORVEL_TEST_SERVER=pipewire runs PipeWire with its PulseAudio service (and WirePlumber)
# inside dbus-run-session instead of PulseAudio.
#
#   private_pulse_start SINK [RATE CHANNELS]
#                              starts it (RATE and CHANNELS default to 22050 and 1; an
#                              empty SINK gives a server with a source and no sink); exports
#                              PULSE_SERVER, PULSE_RUNTIME_PATH, XDG_RUNTIME_DIR and
#                              PULSE_COOKIE for every client started afterwards; sets
#                              PRIVATE_PULSE_DIR and PRIVATE_PULSE_PID
#   private_pulse_kill         kills the server (PulseAudio only), leaving its directory, so
#                              that private_pulse_launch can start it again on the same socket
#   private_pulse_launch SINK [RATE CHANNELS]   starts the server in the existing directory
#   private_pulse_stop         stops the recorder and the server it started, by pid, and
#                              removes the directory
#   record_monitor_start SINK  records the sink's monitor to $PRIVATE_PULSE_RECORDING
#   record_monitor_stop        lets the last samples arrive, then stops the recorder
#   wait_exit PID SECONDS      waits for a child to end; returns its status (124: still runs)
#   sound_ms RECORDING         prints how many ms of a recording hold sound (in 10 ms steps)
#   sound_gaps RECORDING TONE_MS PAUSE_MS
#                              prints each silence inside a tone, as "at MS: SOUND+SILENCE+SOUND";
#                              nothing when every tone is whole
#   limits_start               makes LIMITS_DIR, a folder that the user nobody may use, and
#                              lets nobody reach the private server's socket
#   expect_limited WHAT SECONDS PATTERN LIMIT COMMAND...
#                              runs COMMAND under LIMIT (nproc=N as nobody, whose limit binds
#                              as root's does not; nofile=N as it is): it must exit with 1
#                              within SECONDS, its last line of standard error matching
#                              PATTERN, and never name a missing sound card
#   busy_cores_start SECONDS / busy_cores_stop
#                              keeps every core busy for at most SECONDS, by pid
#   expect_dtmf_decode RECORDING EXPECTED WHAT   fails unless multimon-ng reads EXPECTED
#   test_traps                 stops, however the script ends, the pids in TEST_PIDS, the
#                              window and display (private-window.sh), the server and TEST_DIR
#                              (after showing the logs in its folders if the script failed)
#
# Needs pulseaudio and pactl (Debian: pulseaudio, pulseaudio-utils), or pipewire,
# wireplumber, pipewire-pulse and dbus.

PRIVATE_PULSE_DIR=""
PRIVATE_PULSE_PID=""
PRIVATE_PULSE_RECORDER=""
PRIVATE_PULSE_RECORDING=""

private_pulse_start() {
    PRIVATE_PULSE_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-pulse.XXXXXX")
    mkdir -p "$PRIVATE_PULSE_DIR/runtime/pulse" "$PRIVATE_PULSE_DIR/home"
    chmod 700 "$PRIVATE_PULSE_DIR/runtime"
    export XDG_RUNTIME_DIR="$PRIVATE_PULSE_DIR/runtime"
    export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
    export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
    export PULSE_COOKIE="$PRIVATE_PULSE_DIR/cookie"
    unset PULSE_SINK PULSE_SOURCE
    private_pulse_launch "$@"
}

private_pulse_launch() {
    # QUORVEL_TEST_SINK_FORMAT=RATE/CHANNELS (say 48000/2) gives every scenario's sink
    # another format, for soaking the races that the program's own format hides.
    local format=${QUORVEL_TEST_SINK_FORMAT:-22050/1}
    local sink=$1 rate=${2:-${format%/*}} channels=${3:-${format#*/}}
    if [[ "${QUORVEL_TEST_SERVER:-pulseaudio}" == pipewire ]]; then
        # Its state and configuration stay in the temporary home; the three daemons write
        # their pids, so that stopping them needs no search by name.
        HOME="$PRIVATE_PULSE_DIR/home" XDG_CONFIG_HOME="$PRIVATE_PULSE_DIR/home/config" \
            XDG_STATE_HOME="$PRIVATE_PULSE_DIR/home/state" PIDS="$PRIVATE_PULSE_DIR/pids" \
            dbus-run-session -- bash -c 'pipewire & echo $! >>"$PIDS"; wireplumber &
                echo $! >>"$PIDS"; pipewire-pulse & echo $! >>"$PIDS"; wait' \
            >"$PRIVATE_PULSE_DIR/pulseaudio.log" 2>&1 &
    else
        # No default script (-n), no config file, nothing that exits on its own; the null
        # sink at the format asked for (by default the program's own, so that nothing is
        # resampled on the way to its monitor).
        local load_sink=(--load="module-null-sink sink_name=$sink format=s16le rate=$rate channels=$channels")
        # Without a sink, a source keeps it a sound server with a device.
        [[ -n "$sink" ]] || load_sink=(--load="module-null-source source_name=quorvel_test_source")
        HOME="$PRIVATE_PULSE_DIR/home" pulseaudio -n -F /dev/null --system=no --daemonize=no \
            --exit-idle-time=-1 --disallow-exit --use-pid-file=no --log-target=stderr \
            --load="module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native" \
            "${load_sink[@]}" 2>>"$PRIVATE_PULSE_DIR/pulseaudio.log" &
    fi
    PRIVATE_PULSE_PID=$!

    # PipeWire answers before WirePlumber has made its default-device metadata; until then
    # choosing the default sink fails with "Not supported", so that step is retried too.
    local tries loaded=""
    for tries in $(seq 100); do
        if pactl info >/dev/null 2>&1; then
            if [[ -n "$sink" && -z "$loaded" && "${QUORVEL_TEST_SERVER:-}" == pipewire ]]; then
                pactl load-module module-null-sink sink_name="$sink" format=s16le rate="$rate" \
                    channels="$channels" >/dev/null && loaded=yes
            fi
            if [[ -z "$sink" ]] || pactl set-default-sink "$sink" 2>/dev/null; then
                return 0
            fi
        fi
        if ! kill -0 "$PRIVATE_PULSE_PID" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    echo "private sound server did not start; its log:" >&2
    cat "$PRIVATE_PULSE_DIR/pulseaudio.log" >&2
    return 1
}

private_pulse_kill() {
    if [[ -n "$PRIVATE_PULSE_PID" ]]; then
        kill -KILL "$PRIVATE_PULSE_PID" 2>/dev/null || true
        wait "$PRIVATE_PULSE_PID" 2>/dev/null || true
        PRIVATE_PULSE_PID=""
    fi
}

private_pulse_stop() {
    stop_pid "$PRIVATE_PULSE_RECORDER"
    PRIVATE_PULSE_RECORDER=""
    # PipeWire's daemons, then the server or the session they run in (a test may have frozen it).
    local pid
    for pid in $(cat "$PRIVATE_PULSE_DIR/pids" 2>/dev/null) $PRIVATE_PULSE_PID; do
        kill -CONT "$pid" 2>/dev/null || true
        # dbus-run-session leaves its bus daemon running when it is stopped itself.
        pkill -P "$pid" 2>/dev/null || true
        stop_pid "$pid"
    done
    PRIVATE_PULSE_PID=""
    if [[ -n "$PRIVATE_PULSE_DIR" ]]; then
        rm -rf "$PRIVATE_PULSE_DIR"
        PRIVATE_PULSE_DIR=""
    fi
}

stop_pid() {
    if [[ -n "$1" ]]; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}

wait_exit() {
    local tries=$(($2 * 10))
    while ((tries-- > 0)) && kill -0 "$1" 2>/dev/null; do
        sleep 0.1
    done
    if kill -0 "$1" 2>/dev/null; then
        echo "process $1 still runs after $2 s" >&2
        return 124
    fi
    wait "$1"
}

# Counts the 10 ms windows of the raw 22050 Hz recording that hold a loud sample.
sound_ms() {
    od -An -v -td2 -w2 "$1" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v
        if (++n == 220) { if (m > 2000) s++; m = 0; n = 0 } } END { print s * 10 }'
}

# A tone cut by silence shows as a silence shorter than the pause between tones, or, when
# the silence is longer, as two sounds each shorter than a tone around it. The raw 22050 Hz
# recording is read in 2 ms windows, loud when a sample passes 1000 (two DTMF sines never
# stay below it for 2 ms); a 10 ms margin allows for the edges. Everything up to the first
# silence of 300 ms is the recorder's warm-up call, and a silence of a second or more lies
# between calls. A first tone cut short at its start has no silence inside it.
sound_gaps() {
    od -An -v -td2 -w2 "$1" | awk -v tone="$2" -v pause="$3" '
        { v = $1 < 0 ? -$1 : $1; if (v > m) m = v }
        ++n == 44 {
            l = m > 1000; m = 0; n = 0
            if (runs == 0 || l != loud[runs]) { loud[++runs] = l; len[runs] = 0; at[runs] = w * 2 }
            len[runs] += 2; w++
        }
        END {
            for (first = 1; first <= runs && (loud[first] || len[first] < 300); first++) {}
            for (i = first + 2; i < runs; i++) {
                if (loud[i] || len[i] >= 1000 || !loud[i - 1] || !loud[i + 1])
                    continue
                if (len[i] < pause - 10 || (len[i - 1] < tone - 10 && len[i + 1] < tone - 10))
                    printf "at %d ms: %d ms of sound, %d ms of silence, %d ms of sound\n",
                        at[i - 1], len[i - 1], len[i], len[i + 1]
            }
        }'
}

limits_start() {
    LIMITS_DIR=$PRIVATE_PULSE_DIR/limits
    mkdir -p "$LIMITS_DIR"
    chmod 755 "$LIMITS_DIR"
    chmod 711 "$PRIVATE_PULSE_DIR" "$PRIVATE_PULSE_DIR/runtime" "$PRIVATE_PULSE_DIR/runtime/pulse"
}

expect_limited() {
    local what=$1 seconds=$2 pattern=$3 limit=$4 status=0 said start ms
    shift 4
    local run=(prlimit "--$limit" "$@")
    # Under the asan preset the sanitizers' runtime itself opens files (it reads the process's
    # maps to check each virtual call) and floods the run with its own errors below ulimit -n 16:
    # that case says nothing of the program there.
    if [[ -n "${QUORVEL_SANITIZED:-}" && "$limit" == nofile=* ]]; then
        echo "$what: not run under the sanitizers, whose runtime needs descriptors of its own"
        return 0
    fi
    # LeakSanitizer's check at the exit runs in a thread of its own, which a process that may
    # start none cannot have: under the asan preset the leak check is off for that case.
    [[ "$limit" != nproc=* ]] || run=(runuser -u nobody -- env HOME="$LIMITS_DIR" \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "${run[@]}")
    start=$(now_ms)
    said=$(cd "$LIMITS_DIR" && timeout $((seconds + 10)) "${run[@]}" 2>&1 >/dev/null) || status=$?
    ms=$(($(now_ms) - start))
    echo "$what: exit $status after $ms ms: ${said//$'\n'/ | }"
    ((status == 1)) || { echo "$what: expected exit status 1" >&2; return 1; }
    ((ms < seconds * 1000)) || { echo "$what: took longer than $seconds s" >&2; return 1; }
    [[ "${said##*$'\n'}" =~ $pattern ]] || { echo "$what: unexpected message" >&2; return 1; }
    [[ "$said" != *"schede audio"* ]] || { echo "$what: named a missing sound card" >&2; return 1; }
}

# Every core kept busy by a shell loop that ends by itself after $1 s; stopped by pid.
BUSY_PIDS=()
busy_cores_start() {
    local core
    for core in $(seq "$(nproc)"); do
        timeout "$1" sh -c 'while :; do :; done' &
        BUSY_PIDS+=($!)
        TEST_PIDS+=($!)
    done
}

busy_cores_stop() {
    local pid
    for pid in "${BUSY_PIDS[@]}"; do
        stop_pid "$pid"
    done
    BUSY_PIDS=()
}

TEST_PIDS=()
TEST_DIR=""
test_cleanup() {
    local status=$? pid log
    if ((status != 0)) && [[ -n "$TEST_DIR" ]]; then
        for log in "$TEST_DIR"/*/*.log; do
            [[ ! -s "$log" ]] || { echo "--- $log" && cat "$log"; } >&2
        done
    fi
    for pid in "${TEST_PIDS[@]}"; do
        stop_pid "$pid"
    done
    ! declare -F private_x_stop >/dev/null || private_x_stop
    private_pulse_stop
    [[ -z "$TEST_DIR" ]] || rm -rf "$TEST_DIR"
}
test_traps() {
    trap test_cleanup EXIT
    trap "exit 1" INT TERM HUP
}

record_monitor_start() {
    PRIVATE_PULSE_RECORDING=$PRIVATE_PULSE_DIR/monitor.raw
    # Recorded at 20 ms from PipeWire's service, a tone now and then decoded twice, as if the
    # recording had a gap; at 100 ms it has not. What is played does not depend on it.
    local latency=20
    [[ "${QUORVEL_TEST_SERVER:-}" != pipewire ]] || latency=100
    parec -d "$1.monitor" --latency-msec=$latency --rate=22050 --channels=1 --format=s16le \
        >"$PRIVATE_PULSE_RECORDING" &
    PRIVATE_PULSE_RECORDER=$!
    # The recorder needs a moment to connect, or the first tones are lost.
    sleep 1
}

record_monitor_stop() {
    sleep 0.5
    stop_pid "$PRIVATE_PULSE_RECORDER"
    PRIVATE_PULSE_RECORDER=""
}

# The recording is raw, 22050 Hz, as multimon-ng reads it.
expect_dtmf_decode() {
    local recording=$1 expected=$2 what=$3 decoded
    decoded=$(multimon-ng -q -t raw -a DTMF "$recording" 2>/dev/null | sed -n 's/^DTMF: //p' | tr -d '\n')
    if [[ "$decoded" != "$expected" ]]; then
        echo "$what DTMF decode: expected '$expected', got '$decoded'" >&2
        return 1
    fi
    echo "$what DTMF decode: $decoded"
}

# report_logger FIFO LOG: each 5-byte report written into FIFO goes to LOG as a line
# "MS HEX…", MS the wall-clock time in ms. It holds the FIFO open for writing too, so that it
# never reads an end between two writers.
report_logger() {
    mkfifo "$1"
    python3 -c 'import os, sys, time
fd = os.open(sys.argv[1], os.O_RDWR)
log = open(sys.argv[2], "w", buffering=1)
data = b""
while True:
    data += os.read(fd, 64)
    while len(data) >= 5:
        log.write("%d %s\n" % (time.time_ns() // 1000000, data[:5].hex(" ")))
        data = data[5:]' "$1" "$2" &
    TEST_PIDS+=($!)
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# wait_lines FILE N: up to 2 s for FILE to hold N lines.
wait_lines() {
    for _ in $(seq 100); do
        (($(wc -l <"$1") >= $2)) && return 0
        sleep 0.02
    done
    return 1
}

# wait_stream: up to 10 s for a stream to appear on the server, that is for a play to start.
wait_stream() {
    for _ in $(seq 200); do
        [[ -z "$(pactl list short sink-inputs)" ]] || return 0
        sleep 0.05
    done
    return 1
}

# expect_watchdog_release LOG N KILLED_MS FIFO: after a kill -9 at KILLED_MS, line N of the
# report log is the release, written within 300 ms by the watchdog, which then ends.
expect_watchdog_release() {
    local released="00 00 00 04 00"
    [[ "$(sed -n "$2p" "$1" | cut -d' ' -f2-)" == "$released" ]] ||
        { echo "the line was not released after kill -9" >&2; return 1; }
    (($(sed -n "$2p" "$1" | cut -d' ' -f1) - $3 <= 300)) ||
        { echo "released later than 300 ms after kill -9" >&2; return 1; }
    sleep 0.3
    if pgrep -f -- "--ptt-watchdog cm108:$4" >/dev/null; then
        echo "a watchdog process is left" >&2
        return 1
    fi
}
