#!/usr/bin/env bash
# Each program installs its signal handlers before its first thread starts, and changes no
# signal action while threads run: strace records the program's rt_sigaction and clone calls.
# Usage: handlers_first.sh QUORVEL_RENDER QUORVEL
set -euo pipefail
command -v strace >/dev/null || { echo "skipped: no strace"; exit 77; }
render=$(realpath "$1") quorvel=$(realpath "$2")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# check NAME TRACE: in the traced program's own process, every new signal action comes before
# the first thread.
check() {
    local name=$1 trace=$2 pid actions threads late
    pid=$(grep -m1 "execve(\"[^\"]*/$name\"" "$trace" | cut -d' ' -f1)
    [[ -n "$pid" ]] || { echo "FAIL: $name did not run"; return 1; }
    awk -v pid="$pid" '$1 == pid' "$trace" >"$dir/own"
    actions=$(grep -c 'rt_sigaction(SIG[A-Z0-9_]*, {sa_handler=0x' "$dir/own" || true)
    threads=$(grep -c 'clone3\?(.*CLONE_THREAD' "$dir/own" || true)
    late=$(awk '/clone3?\(.*CLONE_THREAD/ { t = 1 } t && /rt_sigaction\(SIG[A-Z0-9_]*, \{/' "$dir/own")
    echo "$name: $actions handlers installed, then $threads threads started; actions changed" \
        "after the first thread: ${late:-none}"
    ((actions >= 20)) || { echo "FAIL: $name installed no handlers"; return 1; }
    ((threads >= 1)) || { echo "FAIL: $name started no thread, nothing was checked"; return 1; }
    [[ -z "$late" ]] || { echo "FAIL: $name changed signal actions while threads ran"; return 1; }
}

# With no sound server, each still starts the sound server's client thread.
export PULSE_SERVER="unix:$dir/none" QT_QPA_PLATFORM=offscreen
strace -f -qq -o "$dir/render" -e trace=execve,rt_sigaction,clone,clone3 \
    "$render" --play -s DTMF1 -t 50 1 >/dev/null 2>&1 || true
check "$(basename "$render")" "$dir/render"
# The window's start-up message waits for a click that never comes: ended after 5 s.
(cd "$dir" && strace -f -qq -o "$dir/window" -e trace=execve,rt_sigaction,clone,clone3 \
    timeout --foreground -s KILL 5 "$quorvel" >/dev/null 2>&1) || true
check "$(basename "$quorvel")" "$dir/window"
