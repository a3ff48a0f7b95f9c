#!/usr/bin/env bash
# quorvel-render --play on a machine where no sound server answers, so that it plays through
# ALSA, in private ALSA configurations that this script writes (never the user's sound):
#   1. no configuration and no sound card: the start-up message, exit status 1;
#   2. the default output is a file plugin: it is listed as the default output, and the file
#      holds the rendered samples byte for byte and decodes with multimon-ng;
#   3. the default output is the pulse plugin, aimed at a private server that the programs'
#      own probe cannot see: the recorded monitor decodes;
#   4. SIGINT 2 s into a 4 s tone: exit status 130, the sound dropped at once (recorded: well
#      under 4 s);
#   5. the server killed mid-play: report 3 with code 6 (gone) and its reason, exit status 1,
#      within seconds;
#   6. a default through the pulse plugin where no server runs starts none (autospawn);
#   7. a file plugin writing into a pipe that nobody reads, keyed on a CM108 stand-in file,
#      then SIGINT: the run ends within 1 s and the line is released;
#   8. --device with a PCM of a private configuration that has no hint: it is listed, the
#      system's converters and "null" are not, and it plays; a name that does not open is a
#      usage error with the name, the reason and the outputs;
# (6 runs last: it ends the script early where it cannot run.)
set -euo pipefail
render=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/private-pulse.sh"

test_traps
sink=quorvel_alsa_sink

private_pulse_start "$sink"
dir=$PRIVATE_PULSE_DIR
mkdir -p "$dir/hidden"
# The programs look for a server in an empty runtime directory and find none.
alsa_play() {
    env -u PULSE_SERVER XDG_RUNTIME_DIR="$dir/hidden" PULSE_RUNTIME_PATH="$dir/hidden" \
        ALSA_CONFIG_PATH="$1" "${@:2}"
}
# alsa_config NAME DEFAULT-PCM-BODY: a configuration whose default output is the body.
alsa_config() {
    printf '</usr/share/alsa/alsa.conf>\npcm.!default { %s }\n' "$2" >"$dir/$1.conf"
    echo "$dir/$1.conf"
}

echo "1. no sound server, no sound card"
if grep -q '^ *[0-9]' /proc/asound/cards 2>/dev/null; then
    echo "   skipped: this machine has a sound card"
else
    status=0
    message=$(alsa_play /usr/share/alsa/alsa.conf "$render" --play -- 123 2>&1) || status=$?
    echo "   exit status $status: $message"
    ((status == 1)) && [[ "$message" == *"Questo PC non ha schede audio."* ]] || exit 1
fi

echo "2. file plugin"
conf=$(alsa_config file "type file slave.pcm \"null\" file \"$dir/file.raw\" format \"raw\"")
devices=$(alsa_play "$conf" "$render" --list-devices)
grep -q $'^default\t.*\tdefault$' <<<"$devices" || { echo "default not listed: $devices" >&2; exit 1; }
played=$(alsa_play "$conf" "$render" --play -s DTMF1 -- "0123456789ABCDEF 1470")
echo "   $played"
"$render" -s DTMF1 -- "0123456789ABCDEF 1470" | cmp - "$dir/file.raw"
expect_dtmf_decode "$dir/file.raw" "0123456789ABCD*#1470" "   file plugin"

echo "3. pulse plugin into the recorded private server"
conf=$(alsa_config pulse "type pulse server \"$PULSE_SERVER\"")
record_monitor_start "$sink"
played=$(alsa_play "$conf" "$render" --play -s DTMF1 -- "0123456789ABCDEF 1470")
echo "   $played"
[[ "$played" =~ ^played\ in\ [0-9]+\ ms$ ]] || { echo "unexpected output: '$played'" >&2; exit 1; }
record_monitor_stop
expect_dtmf_decode "$PRIVATE_PULSE_RECORDING" "0123456789ABCD*#1470" "   pulse plugin"

echo "4. SIGINT 2 s into a 4 s tone"
record_monitor_start "$sink"
# The first stream after the recorder attaches starts late: warm up with a short one.
alsa_play "$conf" "$render" --play -s DTMF1 -t 100 -- 1 >/dev/null
# Not through alsa_play: the signal must reach quorvel-render, not a shell around it. SIGINT
# back to its default: a background command of this shell starts with it ignored, and an
# ignored signal stays ignored.
env -u PULSE_SERVER --default-signal=INT XDG_RUNTIME_DIR="$dir/hidden" PULSE_RUNTIME_PATH="$dir/hidden" \
    ALSA_CONFIG_PATH="$conf" "$render" --play -s DTMF1 -t 4000 -- 1 2>"$dir/stopped.out" &
TEST_PIDS+=($!)
sleep 2
kill -INT "${TEST_PIDS[-1]}"
status=0
wait_exit "${TEST_PIDS[-1]}" 10 || status=$?
record_monitor_stop
ms=$(sound_ms "$PRIVATE_PULSE_RECORDING")
echo "   exit status $status, $(cat "$dir/stopped.out"); tone recorded: $ms ms, of which 100 ms"
echo "   warm-up and 4000 ms if never stopped"
((status == 130 && ms > 1000 && ms < 3000)) || { echo "the stop did not end the sound at once" >&2; exit 1; }

echo "5. the server killed mid-play"
alsa_play "$conf" "$render" --play -s DTMF1 -t 5000 -- 1 >"$dir/killed.out" 2>&1 &
TEST_PIDS+=($!)
sleep 1.5
private_pulse_kill
status=0
wait_exit "${TEST_PIDS[-1]}" 15 || status=$?
echo "   exit status $status: $(cat "$dir/killed.out")"
((status == 1)) &&
    grep -q '3\. waveOutWrite failed -  6 (the sound card or sound server went away during the play)' \
        "$dir/killed.out"

echo "7. a write stuck in a pipe that nobody reads, keyed, then SIGINT"
mkfifo "$dir/stuck.fifo"
exec 7<>"$dir/stuck.fifo" # holds the pipe open and never reads it
conf=$(alsa_config stuck "type file slave.pcm \"null\" file \"$dir/stuck.fifo\" format \"raw\"")
: >"$dir/hidraw"
env -u PULSE_SERVER --default-signal=INT XDG_RUNTIME_DIR="$dir/hidden" PULSE_RUNTIME_PATH="$dir/hidden" \
    ALSA_CONFIG_PATH="$conf" "$render" --play -t 10000 --ptt "cm108:$dir/hidraw" -- 1 \
    2>"$dir/stuck.out" &
TEST_PIDS+=($!)
sleep 3 # the pipe (64 KiB) is full after 1.5 s of sound
kill -INT "${TEST_PIDS[-1]}"
started=$(date +%s%N)
status=0
wait_exit "${TEST_PIDS[-1]}" 10 || status=$?
ms=$((($(date +%s%N) - started) / 1000000))
exec 7>&-
reports=$(od -An -v -tx1 "$dir/hidraw" | tr -s ' \n' ' ')
echo "   exit status $status after $ms ms: $(cat "$dir/stuck.out"); CM108 reports:$reports"
((status == 130 && ms < 1000)) || { echo "the stuck write held the run" >&2; exit 1; }
[[ "$reports" == *" 00 00 00 04 00 " ]] || { echo "the line was not released" >&2; exit 1; }

echo "8. --device with a PCM that ALSA has no hint for"
conf=$(alsa_config private "type file slave.pcm \"null\" file \"$dir/unused.raw\" format \"raw\" }
pcm.quorvel_second { type plug slave.pcm quorvel_file }
pcm.quorvel_file { type file slave.pcm \"null\" file \"$dir/second.raw\" format \"raw\"")
devices=$(alsa_play "$conf" "$render" --list-devices | cut -f1 | tr '\n' ' ')
echo "   listed: $devices"
[[ " $devices" == *" quorvel_second "* && " $devices" != *" null "* && " $devices" != *" lavrate "* ]] ||
    { echo "expected the private PCM listed, and neither null nor a converter" >&2; exit 1; }
alsa_play "$conf" "$render" --play -s DTMF1 --device quorvel_second -- 1470 >/dev/null
"$render" -s DTMF1 -- 1470 | cmp - "$dir/second.raw"
echo "   quorvel_second played"
status=0
message=$(alsa_play "$conf" "$render" --play --device plughw:97,0 -- 1 2>&1) || status=$?
echo "   exit status $status: ${message//$'\n'/ }"
((status == 2)) && [[ "$message" == *"cannot open output device 'plughw:97,0': "*"the outputs are:"*default* ]] ||
    { echo "expected a usage error naming the device, the reason and the outputs" >&2; exit 1; }

echo "6. no server, and a default that goes through the pulse plugin, for a user whose libpulse"
echo "   may start servers (autospawn): none is started"
if [[ $(id -u) -ne 0 ]] || ! command -v setpriv >/dev/null; then
    echo "   skipped: needs root to run as nobody"
    exit 0
fi
user=$dir/nobody
mkdir -p "$user/home" "$user/run" "$user/bin"
# A copy that nobody can reach wherever the build lies (a clone in a root-only folder).
cp "$render" "$user/bin/quorvel-render"
printf 'autospawn = yes\n' >"$user/client.conf"
alsa_config spawn "type pulse" >/dev/null
chown -R 65534:65534 "$user"
chmod 700 "$user/run"
chmod 755 "$dir"
status=0
setpriv --reuid=65534 --regid=65534 --clear-groups env -i PATH=/usr/bin:/bin \
    HOME="$user/home" XDG_RUNTIME_DIR="$user/run" PULSE_CLIENTCONFIG="$user/client.conf" \
    ALSA_CONFIG_PATH="$dir/spawn.conf" "$user/bin/quorvel-render" --play -- 1 >/dev/null 2>&1 ||
    status=$?
sleep 1
spawned=$(pgrep -u 65534 -x pulseaudio || true)
if [[ -n "$spawned" ]]; then
    kill $spawned
    echo "a sound server was started: $spawned" >&2
    exit 1
fi
echo "   exit status $status, no server started"
((status == 1))
