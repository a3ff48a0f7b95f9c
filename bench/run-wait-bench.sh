#!/usr/bin/env bash
# Runs the playback-wait benchmark against a private PulseAudio null sink, directly and through
# ALSA's pulse plugin, so that the real 5 s play never sounds on (or needs) the user's own
# sound server.
# Usage: run-wait-bench.sh PLAYBACK_WAIT_BENCH [BENCHMARK ARGUMENTS...]
set -euo pipefail
bench=$1
shift
source "$(cd "$(dirname "$0")" && pwd)/../tests/acceptance/private-pulse.sh"
trap private_pulse_stop EXIT
private_pulse_start quorvel_bench_sink
# A null sink that nothing records plays slowly; recorded, it keeps time.
record_monitor_start quorvel_bench_sink
# The ALSA plays go to the same sink through the pulse plugin.
printf '</usr/share/alsa/alsa.conf>\npcm.!default { type pulse server "%s" }\n' "$PULSE_SERVER" \
    >"$PRIVATE_PULSE_DIR/alsa.conf"
export ALSA_CONFIG_PATH=$PRIVATE_PULSE_DIR/alsa.conf
"$bench" "$@"
