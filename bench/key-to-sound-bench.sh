#!/usr/bin/env bash
# Key-to-first-sample of a keyed quorvel-render --play: the time from the CM108 key report to
# the first loud sample on a private null sink's monitor, for 10 runs, with their spread. A
# FIFO read by a logger stands in for /dev/hidrawN and gives the key's time; the monitor is
# read in 5 ms pieces, each sample's time taken from its piece's arrival, so the figures
# include the monitor's own latency (they err on the long side).
# Usage: key-to-sound-bench.sh QUORVEL_RENDER [RUNS] [LEAD_MS]
set -euo pipefail
render=$1
runs=${2:-10}
lead=${3:-250}
source "$(cd "$(dirname "$0")" && pwd)/../tests/acceptance/private-pulse.sh"
trap private_pulse_stop EXIT
private_pulse_start quorvel_bench_sink
mkfifo "$PRIVATE_PULSE_DIR/hidraw"
python3 - "$render" "$runs" "$lead" "$PRIVATE_PULSE_DIR/hidraw" <<'PY'
import os, statistics, subprocess, sys, threading, time

render, runs, lead, fifo = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
RATE, PIECE = 22050, 110  # 5 ms of samples
keys, loud = [], []

def key_reports():
    fd = os.open(fifo, os.O_RDWR)  # holds the write side too: no end between runs
    data = b""
    while True:
        data += os.read(fd, 64)
        while len(data) >= 5:
            if data[2]:  # the data byte: GPIO 3 high, keyed
                keys.append(time.monotonic())
            data = data[5:]

def monitor():
    parec = subprocess.Popen(["parec", "-d", "quorvel_bench_sink.monitor", "--latency-msec=5",
                              "--rate=%d" % RATE, "--channels=1", "--format=s16le"],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    sounding = False
    while True:
        piece = parec.stdout.read(2 * PIECE)
        now = time.monotonic()
        samples = memoryview(piece).cast("h")
        for i, sample in enumerate(samples):
            if abs(sample) > 2000:
                if not sounding:
                    loud.append(now - (len(samples) - i) / RATE)
                sounding = True
                break
        else:
            sounding = False

threading.Thread(target=key_reports, daemon=True).start()
threading.Thread(target=monitor, daemon=True).start()
time.sleep(1)
# The first stream after the recorder attaches starts late: one unkeyed play warms the sink up.
subprocess.run([render, "--play", "-s", "DTMF1", "--", "1"], check=True, stdout=subprocess.DEVNULL)
time.sleep(0.3)
loud.clear()
figures = []
for run in range(runs):
    before = len(loud)
    subprocess.run([render, "--play", "-s", "DTMF1", "--ptt", "cm108:" + fifo,
                    "--ptt-lead", "%g" % lead, "--", "1"], check=True, stdout=subprocess.DEVNULL)
    time.sleep(0.3)
    if len(loud) <= before or len(keys) <= run:
        sys.exit("run %d: no key or no sound seen" % (run + 1))
    figures.append((loud[before] - keys[run]) * 1000)
print("key to first sample, --ptt-lead %g ms, %d runs: %s ms" %
      (lead, runs, " ".join("%.0f" % f for f in figures)))
print("min %.0f, median %.0f, max %.0f ms; spread %.0f ms; over the lead: at most %.0f ms" %
      (min(figures), statistics.median(figures), max(figures), max(figures) - min(figures),
       max(figures) - lead))
PY
