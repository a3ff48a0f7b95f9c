# Sourced by the acceptance scripts: a private PulseAudio server with one null sink, in a
# temporary directory, so that a test never plays on (or records from) the user's own sound.
#
#   private_pulse_start SINK   starts it; exports PULSE_SERVER, PULSE_RUNTIME_PATH,
#                              XDG_RUNTIME_DIR and PULSE_COOKIE for every client started
#                              afterwards; sets PRIVATE_PULSE_DIR and PRIVATE_PULSE_PID
#   private_pulse_stop         stops the recorder and the server it started, by pid, and
#                              removes the directory
#   record_monitor_start SINK  records the sink's monitor to $PRIVATE_PULSE_RECORDING
#   record_monitor_stop        lets the last samples arrive, then stops the recorder
#
# Start-up needs pulseaudio and pactl (Debian: pulseaudio, pulseaudio-utils).

PRIVATE_PULSE_DIR=""
PRIVATE_PULSE_PID=""
PRIVATE_PULSE_RECORDER=""
PRIVATE_PULSE_RECORDING=""

private_pulse_start() {
    local sink=$1
    PRIVATE_PULSE_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-pulse.XXXXXX")
    mkdir -p "$PRIVATE_PULSE_DIR/runtime/pulse" "$PRIVATE_PULSE_DIR/home"
    chmod 700 "$PRIVATE_PULSE_DIR/runtime"
    export XDG_RUNTIME_DIR="$PRIVATE_PULSE_DIR/runtime"
    export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
    export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
    export PULSE_COOKIE="$PRIVATE_PULSE_DIR/cookie"
    unset PULSE_SINK PULSE_SOURCE

    # No default script (-n), no config file, nothing that exits on its own; a 22050 Hz
    # mono null sink, so that nothing is resampled on the way to its monitor.
    HOME="$PRIVATE_PULSE_DIR/home" pulseaudio -n -F /dev/null --system=no --daemonize=no \
        --exit-idle-time=-1 --disallow-exit --use-pid-file=no --log-target=stderr \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native" \
        --load="module-null-sink sink_name=$sink format=s16le rate=22050 channels=1" \
        2>"$PRIVATE_PULSE_DIR/pulseaudio.log" &
    PRIVATE_PULSE_PID=$!

    local tries
    for tries in $(seq 100); do
        if pactl info >/dev/null 2>&1; then
            pactl set-default-sink "$sink"
            return 0
        fi
        if ! kill -0 "$PRIVATE_PULSE_PID" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    echo "private PulseAudio did not start; its log:" >&2
    cat "$PRIVATE_PULSE_DIR/pulseaudio.log" >&2
    return 1
}

private_pulse_stop() {
    stop_pid "$PRIVATE_PULSE_RECORDER"
    PRIVATE_PULSE_RECORDER=""
    if [[ -n "$PRIVATE_PULSE_PID" ]]; then
        kill "$PRIVATE_PULSE_PID" 2>/dev/null || true
        wait "$PRIVATE_PULSE_PID" 2>/dev/null || true
        PRIVATE_PULSE_PID=""
    fi
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

record_monitor_start() {
    PRIVATE_PULSE_RECORDING=$PRIVATE_PULSE_DIR/monitor.raw
    parec -d "$1.monitor" --latency-msec=20 --rate=22050 --channels=1 --format=s16le \
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

# expect_dtmf_decode RECORDING EXPECTED WHAT: decodes a raw 22050 Hz recording with
# multimon-ng's DTMF demodulator; fails (status 1) unless the keys read are EXPECTED.
expect_dtmf_decode() {
    local recording=$1 expected=$2 what=$3 decoded
    decoded=$(multimon-ng -q -t raw -a DTMF "$recording" 2>/dev/null | sed -n 's/^DTMF: //p' | tr -d '\n')
    if [[ "$decoded" != "$expected" ]]; then
        echo "$what DTMF decode: expected '$expected', got '$decoded'" >&2
        return 1
    fi
    echo "$what DTMF decode: $decoded"
}
