#!/usr/bin/env bash
# The real quorvel window on a private Xvfb display and a private sound server (never the
# user's), in one of three scenarios:
#   send                   a typed sequence plays, decodes and shows its time; Escape stops a
#                          play; SIGTERM during a play and SIGHUP while idle close the window as
#                          a close does, saving what was typed;
#   faults                 no server at start-up: the start-up message and no window; a server
#                          with no sink: report 1 on Send; the server killed 1.5 s into a 5 s
#                          play: report 3, a Send with no server: a numbered report, and the
#                          server back on the same socket: the next Send plays and decodes; a
#                          bad option with a display: a box besides the message; a --device
#                          that is missing at start: the window starts and a Send's box names it;
#   soak SENDS [busy] FORMAT...
#                          "0123" with DTMF1 (about 0.7 s) sent SENDS times by Enter, 1.1 to
#                          1.6 s apart, on a recorded null sink of each RATE/CHANNELS, with
#                          busy every core kept busy meanwhile: the process stays alive, every
#                          call decodes, no tone has silence inside it, the close writes
#                          Quorvel.ini;
#   keyed                  with --ptt on a FIFO read by a logger (a CM108 stand-in): a Send
#                          decodes, the caption shows the play time alone, and the reports are
#                          release, key, release; SIGTERM during a call releases the line and
#                          saves; kill -9 of the window during a call leaves the line released
#                          by the watchdog within 300 ms, and no watchdog behind;
#   keyed_faults           with --ptt on the FIFO stand-in and a 3 s time-out: the window
#                          stopped (kill -STOP) 1 s into a 2.6 s call is released by its
#                          watchdog at the time-out (+100 ms), and once continued shows a box
#                          saying so; the watchdog killed 1 s into a call: released within
#                          300 ms, and a box says why;
#   keyed_waits            Escape and SIGTERM act within 100 ms while a keyed Send waits for
#                          another sender's line, for a rigctld that never answers, and for
#                          a watchdog that cannot start (its rigctld connection unanswered);
#   limits                 as nobody with ulimit -u 1, and with ulimit -n 8, the window (with
#                          a display, with and without a line: a FIFO read by a logger) says
#                          what ran out and exits with 1 within 5 s, never keyed;
#   rigctld_keyed          with --ptt through a private rigctld (hamlib's dummy radio), whose
#                          PTT another client reads: 1 during a Send and 0 after it; rigctld
#                          killed during a Send: the window stays, the play stops, and one box
#                          names the lost line and says that the release failed.
# Usage: window_pulse.sh QUORVEL SCENARIO [ARGS...]
set -euo pipefail
quorvel=$(realpath "$1")
scenario=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"
source "$here/private-window.sh"
source "$here/private-rigctld.sh"
test_traps
TEST_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-window.XXXXXX")
private_x_start "$TEST_DIR"

# expect_box TITLE TEXT_PATTERN WHAT: a box with this title and text appears, centred on the
# window (or the screen); it is closed.
expect_box() {
    local title=$1 pattern=$2 what=$3 text dx dy
    box_find "$title" 15 || { echo "$what: no box" >&2; return 1; }
    read -r dx dy < <(box_offset)
    ((dx * dx <= 4 && dy * dy <= 4)) || { echo "$what: box off centre by $dx, $dy px" >&2; return 1; }
    text=$(box_text)
    echo "$what: box '$title': ${text//$'\n'/ }"
    [[ "$text" =~ $pattern ]] || { echo "$what: unexpected text" >&2; return 1; }
    box_close
}

expect_alive() {
    kill -0 "$WINDOW_APP" 2>/dev/null || { echo "$1: quorvel has ended" >&2; return 1; }
    xdotool windowfocus --sync "$WINDOW_ID"
}

# end_by_signal SIGNAL EXPECTED: the window ends within 10 s of SIGNAL with status 0, leaving
# a Quorvel.ini that ends with EXPECTED.
end_by_signal() {
    kill "-$1" "$WINDOW_APP"
    local status=0 settings
    window_end 10 || status=$?
    settings=$(tr -d '\r' <"$TEST_DIR/send/run/Quorvel.ini")
    echo "after SIG$1: exit status $status, Quorvel.ini: $settings"
    [[ $status -eq 0 && "$settings" == *"$2" ]] ||
        { echo "SIG$1 did not close the window as a close does" >&2; return 1; }
}

send() {
    private_pulse_start quorvel_window_sink
    # DTMF1 with 70 ms tones and 60 ms pauses, and an empty sequence box to type into.
    window_start "$quorvel" "$TEST_DIR/send" '0,0,0,"","70","60","300",0'
    window_find
    record_monitor_start quorvel_window_sink
    xdotool type --delay 30 "0123456789abcdef 1470" # the box upper-cases
    xdotool key Return
    local ms
    ms=$(window_caption_ms)
    # 20 tones of 70 ms, 18 pauses of 60 ms and one of 300 ms make about 2.5 s of sound.
    echo "window: played in $ms ms"
    ((ms >= 2000 && ms <= 10000)) || { echo "implausible play time" >&2; return 1; }
    record_monitor_stop
    expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "0123456789ABCD*#1470" window

    # 9999 ms tones: the sequence would play for minutes. Tab to the tone duration (Text1, the
    # button, Text2), replace it, back to the button, and press it; Escape stops the play.
    xdotool key Tab Tab ctrl+a
    xdotool type 9999
    xdotool key shift+Tab space
    sleep 1.5
    xdotool key Escape
    ms=$(window_caption_ms "$ms")
    echo "Escape 1.5 s into the play: $ms ms"
    ((ms >= 500 && ms <= 10000)) || { echo "implausible play time" >&2; return 1; }

    # SIGTERM during the next play stops it and closes the window, which saves its fields.
    xdotool key space
    sleep 1
    end_by_signal TERM ',0,"0123456789ABCDEF 1470","9999","60","300",0'
    # SIGHUP while idle closes it too, saving what was typed since the start.
    window_start "$quorvel" "$TEST_DIR/send"
    window_find
    xdotool key End
    xdotool type --delay 30 "789"
    end_by_signal HUP ',0,"0123456789ABCDEF 1470789","9999","60","300",0'
}

faults() {
    # "0123" with DTMF1: 1.2 s tones and 0.1 s pauses, 5.1 s of sound.
    local settings='0,0,0,"0123","1200","100","300",0' status=0 ms
    # No server: a socket path where nothing listens.
    PULSE_SERVER="unix:$TEST_DIR/none/native" window_start "$quorvel" "$TEST_DIR/none" "$settings"
    expect_box Quorvel "Questo PC non ha schede audio.*Il programma verrà ora chiuso." "no server"
    window_end 5 || status=$?
    ((status != 0 && status != 124)) || { echo "no server: exit status $status" >&2; return 1; }
    ! xdotool search --name '^Quorvel v3' >/dev/null 2>&1 ||
        { echo "no server: a window appeared" >&2; return 1; }

    # A bad option from a menu, with a display and no terminal: the same text in a box too.
    status=0
    WINDOW_ARGS=(--ptt cm108:x:abc)
    window_start "$quorvel" "$TEST_DIR/badoption" "$settings"
    expect_box Quorvel "^invalid value|--ptt: invalid PTT line 'cm108:x:abc'.*Try 'quorvel --help'" \
        "bad option"
    window_end 5 || status=$?
    ((status == 2)) || { echo "bad option: exit status $status" >&2; return 1; }
    WINDOW_ARGS=()

    private_pulse_start ""
    window_start "$quorvel" "$TEST_DIR/nosink" "$settings"
    window_find
    for what in "no sink" "no sink, again"; do
        xdotool key Return
        expect_box " SuonaSequenza" "^1\. waveOutOpen failed -  [0-9]+$" "$what"
        expect_alive "$what"
    done
    stop_pid "$WINDOW_APP"
    private_pulse_stop

    # An output named with --device that is not there at the start: the window starts, and the
    # first Send's box names what is missing; nothing plays elsewhere.
    private_pulse_start faults_sink
    WINDOW_ARGS=(--device radio_not_plugged)
    window_start "$quorvel" "$TEST_DIR/nodevice" "$settings"
    window_find
    # In the middle of the screen, so that the box, wider than the window, can be centred on it.
    local WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$WINDOW_ID")"
    xdotool windowmove --sync "$WINDOW_ID" $(((640 - WIDTH) / 2)) $(((480 - HEIGHT) / 2))
    xdotool key Return
    expect_box " SuonaSequenza" \
        "^1\. waveOutOpen failed - .*cannot open output device 'radio_not_plugged'.*faults_sink" \
        "missing device"
    expect_alive "missing device"
    stop_pid "$WINDOW_APP"
    WINDOW_ARGS=()
    private_pulse_stop

    private_pulse_start faults_sink
    window_start "$quorvel" "$TEST_DIR/lost" "$settings"
    window_find
    xdotool key Return
    sleep 1.5
    private_pulse_kill
    expect_box " SuonaSequenza" "^3\. waveOutWrite failed - [ -][0-9]+$" "server killed"
    expect_alive "server killed"
    xdotool key Return
    expect_box " SuonaSequenza" "^[1-5]\. waveOut[A-Za-z]+ failed - " "no server"
    expect_alive "no server"
    private_pulse_launch faults_sink
    record_monitor_start faults_sink
    xdotool key Return
    ms=$(window_caption_ms 0) # the failed sends left 0 ms in the caption
    record_monitor_stop
    echo "server back: played in $ms ms"
    ((ms >= 5000)) || { echo "server back: the play ended early" >&2; return 1; }
    expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "0123" "server back"
}

soak() {
    local sends=$1 format rate channels dir send captions busy="" gaps
    shift
    [[ "$1" != busy ]] || { busy=yes && shift; }
    for format in "$@"; do
        rate=${format%/*} channels=${format#*/} dir="$TEST_DIR/$rate-$channels" captions=""
        private_pulse_start soak_sink "$rate" "$channels"
        window_start "$quorvel" "$dir" '0,0,0,"0123","100","100","300",0'
        window_find
        rm "$dir/run/Quorvel.ini" # read at load; from here on only the close can write it
        record_monitor_start soak_sink
        # The first stream after the recorder attaches ends late: one send, waited for, first.
        xdotool key Return
        window_caption_ms >/dev/null
        # Long enough for every send; stopped as soon as they are done.
        [[ -z "$busy" ]] || busy_cores_start $((sends * 3 + 30))
        for send in $(seq "$sends"); do
            xdotool key Return
            sleep "1.$((RANDOM % 6 + 1))"
            kill -0 "$WINDOW_APP" 2>/dev/null ||
                { echo "$format: quorvel died during send $send" >&2; return 1; }
            captions+=" $(xdotool getwindowname "$WINDOW_ID" | sed 's/.* - //')"
        done
        record_monitor_stop
        busy_cores_stop
        gaps=$(sound_gaps "$PRIVATE_PULSE_RECORDING" 100 100)
        echo "$rate Hz x$channels, $sends sends${busy:+ with every core busy}:" \
            "$(grep -c . <<<"$gaps") tones with silence inside${gaps:+: }${gaps//$'\n'/, }"
        [[ -z "$gaps" ]] || { echo "silence inside a tone" >&2; return 1; }
        expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "$(printf '0123%.0s' $(seq 0 "$sends"))" \
            "$rate Hz x$channels, $sends sends:" || { echo "captions:$captions" >&2; return 1; }
        window_close || { echo "quorvel failed at its close" >&2; return 1; }
        grep -q '"0123"' "$dir/run/Quorvel.ini" || { echo "the close wrote no Quorvel.ini" >&2; return 1; }
        private_pulse_stop
    done
}

keyed() {
    local fifo=$TEST_DIR/hidraw-fifo log=$TEST_DIR/reports.log ms first killed status=0 said
    local released="00 00 00 04 00" keyed="00 00 04 04 00"
    # A bad option: one line pointing to --help on standard error and status 2, before any
    # window (no display).
    said=$(env -u DISPLAY "$quorvel" --ptt cm108:x:abc 2>&1 >/dev/null) || status=$?
    echo "quorvel --ptt cm108:x:abc: exit $status, '${said%%$'\n'*}'"
    ((status == 2)) && [[ "$said" == *"Try 'quorvel --help'."* ]] ||
        { echo "a bad option did not give the usage and status 2" >&2; return 1; }
    private_pulse_start quorvel_window_sink
    report_logger "$fifo" "$log"
    for _ in $(seq 50); do [[ -e "$log" ]] && break; sleep 0.1; done
    WINDOW_ARGS=(--ptt "cm108:$fifo")
    # DTMF1, 70 ms tones and 60 ms pauses: "0123" sounds for 460 ms.
    window_start "$quorvel" "$TEST_DIR/keyed" '0,0,0,"0123","70","60","300",0'
    window_find
    record_monitor_start quorvel_window_sink
    xdotool key Return
    ms=$(window_caption_ms)
    record_monitor_stop
    wait_lines "$log" 3 || true
    first=$(head -1 "$log" | cut -d' ' -f1)
    echo "keyed Send: caption '$(xdotool getwindowname "$WINDOW_ID")'; the stand-in's reports:"
    awk -v t0="$first" '{ printf "  +%d ms  %s\n", $1 - t0, substr($0, index($0, " ") + 1) }' "$log"
    expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "0123" "keyed window Send"
    [[ "$(cut -d' ' -f2- "$log" | tr '\n' '|')" == "$released|$keyed|$released|" ]] ||
        { echo "expected release, key, release" >&2; return 1; }
    # The play alone: the keyed time less the 250 ms lead and the 50 ms tail.
    local on
    on=$(($(sed -n 3p "$log" | cut -d' ' -f1) - $(sed -n 2p "$log" | cut -d' ' -f1)))
    echo "keyed for $on ms, of which the caption's $ms ms of play"
    ((ms >= 400 && on - 300 - ms >= -30 && on - 300 - ms <= 30)) ||
        { echo "the caption is not the play time alone" >&2; return 1; }

    # 9999 ms tones (Tab to Text2, as in send), a Send, and SIGTERM a second into it: the
    # line is released and the window closes as a close does, saving its fields.
    xdotool key Tab Tab ctrl+a
    xdotool type 9999
    xdotool key shift+Tab space
    sleep 1.3
    status=0
    kill -TERM "$WINDOW_APP"
    window_end 10 || status=$?
    wait_lines "$log" 6 || true
    said=$(tr -d '\r' <"$TEST_DIR/keyed/run/Quorvel.ini")
    echo "SIGTERM during a keyed Send: exit $status, Quorvel.ini: $said, last report: $(sed -n 6p "$log")"
    ((status == 0)) && [[ "$said" == *'"9999","60","300",0' ]] &&
        [[ "$(sed -n 6p "$log" | cut -d' ' -f2-)" == "$released" ]] ||
        { echo "SIGTERM did not release the line and close the window" >&2; return 1; }

    # Again, and kill -9 a second into the Send.
    window_start "$quorvel" "$TEST_DIR/keyed"
    window_find
    xdotool key Return
    sleep 1.3
    killed=$(now_ms)
    kill -9 "$WINDOW_APP"
    window_end 5 || true
    wait_lines "$log" 9 || true
    echo "kill -9 of the window at +$((killed - first)) ms; the stand-in's reports since:"
    tail -n +7 "$log" | awk -v t0="$first" '{ printf "  +%d ms  %s\n", $1 - t0, substr($0, index($0, " ") + 1) }'
    expect_watchdog_release "$log" 9 "$killed" "$fifo"
}

# timeline LOG FROM: the report log from line FROM on, in ms from its first line.
timeline() {
    local first
    first=$(head -1 "$1" | cut -d' ' -f1)
    tail -n +"$2" "$1" | awk -v t0="$first" '{ printf "  +%d ms  %s\n", $1 - t0, substr($0, index($0, " ") + 1) }'
}

# report_at LOG N: the time of the report on line N.
report_at() { sed -n "$2p" "$1" | cut -d' ' -f1; }

# centre_window: the window in the middle of the screen, so that a box wider than the window
# can be centred on it.
centre_window() {
    local WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$WINDOW_ID")"
    xdotool windowmove --sync "$WINDOW_ID" $(((640 - WIDTH) / 2)) $(((480 - HEIGHT) / 2))
}

keyed_faults() {
    local fifo=$TEST_DIR/hidraw-fifo log=$TEST_DIR/reports.log first keyed_at released_at
    local released="00 00 00 04 00" keyed="00 00 04 04 00" stopped killed watchdog
    private_pulse_start quorvel_window_sink
    report_logger "$fifo" "$log"
    for _ in $(seq 50); do [[ -e "$log" ]] && break; sleep 0.1; done
    WINDOW_ARGS=(--ptt "cm108:$fifo" --ptt-timeout 3)
    # DTMF1, 500 ms tones and 100 ms pauses: "0123" sounds for 2.3 s, keyed for 2.6 s.
    window_start "$quorvel" "$TEST_DIR/faults" '0,0,0,"0123","500","100","300",0'
    window_find
    centre_window
    xdotool key Return
    sleep 1
    kill -STOP "$WINDOW_APP"
    stopped=$(now_ms)
    sleep 3
    kill -CONT "$WINDOW_APP"
    expect_box Quorvel "^the transmitter time-out of 3 s ran out before the sound ended; the sound was stopped and GPIO 3 of .* released$" \
        "window stopped"
    wait_lines "$log" 4 || true
    first=$(report_at "$log" 1) keyed_at=$(report_at "$log" 2) released_at=$(report_at "$log" 3)
    echo "kill -STOP of the window at +$((stopped - first)) ms, kill -CONT 3 s later;" \
        "keyed for $((released_at - keyed_at)) ms; the stand-in's reports:"
    timeline "$log" 1
    [[ "$(sed -n 2,3p "$log" | cut -d' ' -f2- | tr '\n' '|')" == "$keyed|$released|" ]] &&
        ((released_at - keyed_at >= 2990 && released_at - keyed_at <= 3100)) ||
        { echo "the watchdog did not release at the time-out (+100 ms)" >&2; return 1; }
    expect_alive "window stopped"

    xdotool key Return
    sleep 1
    watchdog=$(pgrep -f -- "--ptt-watchdog cm108:$fifo" | head -1)
    killed=$(now_ms)
    kill -9 "$watchdog"
    expect_box Quorvel "^the PTT watchdog ended during the call; the call was stopped and GPIO 3 of .* released$" \
        "watchdog killed"
    wait_lines "$log" 7 || true
    released_at=$(report_at "$log" 7)
    echo "the watchdog killed at +$((killed - first)) ms; released $((released_at - killed)) ms later; the reports since:"
    timeline "$log" 5
    [[ "$(tail -n +5 "$log" | cut -d' ' -f2- | tr '\n' '|')" == "$released|$keyed|$released|" ]] &&
        ((released_at - killed <= 300)) ||
        { echo "the line was not released within 300 ms of the watchdog's end" >&2; return 1; }
    expect_alive "watchdog killed"
    window_close || { echo "quorvel failed at its close" >&2; return 1; }
}

# ms_until COMMAND...: the ms until COMMAND succeeds, asked every few ms (10 s at most).
ms_until() {
    local start
    start=$(now_ms)
    for _ in $(seq 2000); do
        if "$@"; then
            echo $(($(now_ms) - start))
            return 0
        fi
        sleep 0.003
    done
    echo 99999
}
caption_is() { [[ "$(xdotool getwindowname "$WINDOW_ID" 2>/dev/null)" == "$1" ]]; }
window_gone() { ! xdotool getwindowname "$WINDOW_ID" >/dev/null 2>&1; }

# stop_waiting WHAT [WATCHDOG]: a Send that waits (WHAT), Escape 1 s into it, then another
# Send and SIGTERM 1 s into it; each must act within 100 ms: the Send ends (the caption shows
# 0 ms), the window closes. A watchdog for the line WATCHDOG runs at the Escape, or none.
stop_waiting() {
    local what=$1 escape term status=0 watchdogs
    window_find
    xdotool key Return
    sleep 1
    watchdogs=$(pgrep -fc -- "--ptt-watchdog ${2:-none}" || true)
    (((watchdogs == 1) == ($# == 2))) ||
        { echo "$what: $watchdogs watchdogs at the Escape" >&2; return 1; }
    escape=$(ms_until caption_is "Quorvel v3 - 0mS" & xdotool key Escape; wait)
    xdotool key Return
    sleep 1
    term=$(ms_until window_gone & kill -TERM "$WINDOW_APP"; wait)
    window_end 10 || status=$?
    echo "$what: Escape acted in $escape ms, SIGTERM in $term ms (exit $status)"
    ((escape <= 100 && term <= 100 && status == 0)) ||
        { echo "$what: Escape and SIGTERM must act within 100 ms" >&2; return 1; }
}

keyed_waits() {
    local fifo=$TEST_DIR/hidraw-fifo log=$TEST_DIR/reports.log holder silent proxy
    private_pulse_start quorvel_window_sink
    report_logger "$fifo" "$log"
    for _ in $(seq 50); do [[ -e "$log" ]] && break; sleep 0.1; done
    # "0123" with 70 ms tones, were it ever sent.
    local settings='0,0,0,"0123","70","60","300",0'
    # Another sender holds the line.
    flock --no-fork "$fifo" sleep 60 &
    holder=$!
    TEST_PIDS+=("$holder")
    WINDOW_ARGS=(--ptt "cm108:$fifo")
    window_start "$quorvel" "$TEST_DIR/line" "$settings"
    stop_waiting "waiting for the line"
    stop_pid "$holder"

    # A rigctld that takes the connection and never answers.
    silent=$(free_port)
    python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(8); time.sleep(3600)' "$silent" &
    TEST_PIDS+=($!)
    sleep 0.3
    WINDOW_ARGS=(--ptt "rigctld:127.0.0.1:$silent")
    window_start "$quorvel" "$TEST_DIR/silent" "$settings"
    stop_waiting "a rigctld that never answers"

    # The window's own connections reach rigctld, its watchdog's are never answered: the
    # watchdog cannot start.
    rigctld_start
    proxy=$(free_port)
    python3 -c 'import socket, sys, threading
def pipe(a, b):
    try:
        while data := a.recv(4096):
            b.sendall(data)
    except OSError:
        pass
    for s in (a, b):
        try: s.shutdown(socket.SHUT_RDWR)
        except OSError: pass
listener = socket.socket(); listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", int(sys.argv[1]))); listener.listen(8)
held, n = [], 0
while True:
    c, _ = listener.accept(); n += 1
    if n % 2 == 0:
        held.append(c); continue
    u = socket.create_connection(("127.0.0.1", int(sys.argv[2])))
    for a, b in ((c, u), (u, c)):
        threading.Thread(target=pipe, args=(a, b), daemon=True).start()' "$proxy" "$RIGCTLD_PORT" &
    TEST_PIDS+=($!)
    sleep 0.3
    WINDOW_ARGS=(--ptt "rigctld:127.0.0.1:$proxy")
    window_start "$quorvel" "$TEST_DIR/watchdog" "$settings"
    stop_waiting "a watchdog that cannot start" "rigctld:127.0.0.1:$proxy"
    [[ "$(ptt_state)" == 0 ]] || { echo "rigctld's PTT is not 0" >&2; return 1; }
}

limits() {
    private_pulse_start quorvel_window_sink
    limits_start
    cp "$quorvel" "$LIMITS_DIR/quorvel"
    local fifo=$LIMITS_DIR/hidraw-fifo log=$TEST_DIR/reports.log line
    report_logger "$fifo" "$log"
    for _ in $(seq 50); do [[ -e "$log" ]] && break; sleep 0.1; done
    chmod 666 "$fifo"
    for line in "" "cm108:$fifo"; do
        expect_limited "window, ulimit -u 1${line:+, keyed}" 5 \
            "^quorvel: cannot start a thread: this user may run no more processes and threads \(ulimit -u 1\)$" \
            nproc=1 "$LIMITS_DIR/quorvel" ${line:+--ptt "$line"}
        expect_limited "window, ulimit -n 8${line:+, keyed}" 5 \
            "^quorvel: cannot open enough files: this process may have 8 open \(ulimit -n\), too few to play$" \
            nofile=8 "$quorvel" ${line:+--ptt "$line"}
    done
    ! xdotool search --name '^Quorvel v3' >/dev/null 2>&1 || { echo "a window appeared" >&2; return 1; }
    sleep 0.2
    [[ ! -s "$log" ]] || { echo "the line was driven: $(cat "$log")" >&2; return 1; }
}

rigctld_keyed() {
    local reads="" after ms
    rigctld_start
    private_pulse_start quorvel_window_sink
    WINDOW_ARGS=(--ptt "rigctld:127.0.0.1:$RIGCTLD_PORT")
    # DTMF1, 300 ms tones and 100 ms pauses: "0123" sounds for 1.5 s. A desktop's locale,
    # whose LC_NUMERIC is not "C": hamlib's rig_open must meet "C" all the same.
    LC_ALL=C.UTF-8 window_start "$quorvel" "$TEST_DIR/rigctld" '0,0,0,"0123","300","100","300",0'
    window_find
    record_monitor_start quorvel_window_sink
    xdotool key Return
    # PTT read over and over until the caption shows the play time.
    for _ in $(seq 100); do
        reads+="$(ptt_state) "
        [[ ! "$(xdotool getwindowname "$WINDOW_ID")" =~ mS$ ]] || break
    done
    ms=$(window_caption_ms)
    after=$(ptt_state)
    record_monitor_stop
    reads=$(tr ' ' '\n' <<<"$reads" | sed '/^$/d' | uniq -c | xargs)
    echo "window Send through rigctld: caption '$(xdotool getwindowname "$WINDOW_ID")';" \
        "PTT reads $reads during the Send, then $after"
    expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "0123" "keyed window Send"
    [[ "$reads" =~ ^([0-9]+\ 0\ )?[0-9]+\ 1(\ [0-9]+\ 0)?$ && "$after" == 0 ]] ||
        { echo "expected PTT 1 during the Send and 0 after it" >&2; return 1; }
    ((ms >= 1400 && ms <= 2500)) || { echo "the caption is not the play time alone" >&2; return 1; }

    # 9999 ms tones (Tab to Text2, as in send); rigctld killed a second into the Send. The
    # window goes to the middle of the screen first, so that the box, wider than the window,
    # can be centred on it.
    local WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$WINDOW_ID")"
    xdotool windowmove --sync "$WINDOW_ID" $(((640 - WIDTH) / 2)) $(((480 - HEIGHT) / 2))
    xdotool key Tab Tab ctrl+a
    xdotool type 9999
    xdotool key shift+Tab space
    sleep 1.3
    [[ "$(ptt_state)" == 1 ]] || { echo "not keyed 1.3 s into the Send" >&2; return 1; }
    { kill -9 "$RIGCTLD_PID" && wait "$RIGCTLD_PID"; } 2>/dev/null || true
    local line="rigctld at 127.0.0.1:$RIGCTLD_PORT"
    expect_box Quorvel "^the connection to $line was closed
the release through a new connection to $line failed \(.*\): the transmitter may still be keyed$" \
        "rigctld killed"
    expect_alive "rigctld killed"
    ms=$(window_caption_ms "$ms")
    echo "rigctld killed 1.3 s into the Send: caption ${ms} ms"
    ((ms < 3000)) || { echo "the play did not stop" >&2; return 1; }
    window_close || { echo "quorvel failed at its close" >&2; return 1; }
}

"$scenario" "$@"
