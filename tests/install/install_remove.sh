#!/usr/bin/env bash
# Installs the two Debian packages on this machine with apt-get, the renderer alone first,
# checks what a user then finds (the commands on the PATH, the man pages, the menu entry, and a
# start from that entry with a private sound server), and removes them again, the window first.
# It changes the machine, so make test does not run it; run it as root (or with sudo) by hand.
# Usage: install_remove.sh quorvel-render_V_ARCH.deb quorvel_V_ARCH.deb
set -euo pipefail
if [[ $# -ne 2 || ! -f "$1" || ! -f "$2" ]]; then
    echo "usage: install_remove.sh quorvel-render_V_ARCH.deb quorvel_V_ARCH.deb" >&2
    exit 2
fi
render_deb=$(realpath "$1")
deb=$(realpath "$2")
for package in quorvel quorvel-render; do
    if dpkg-query -W -f='${Status}' $package 2>/dev/null | grep -q 'installed'; then
        echo "$package is installed already; remove it first (this script removes what it installs)" >&2
        exit 2
    fi
done
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
source "$(dirname "$0")/../acceptance/private-pulse.sh"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check() {
    echo "+ $*"
    "$@" || fail "$*"
}

home=$(mktemp -d)
app=""
installed=0
cleanup() {
    stop_pid "$app"
    private_pulse_stop
    rm -rf "$home"
    if ((installed)); then
        echo "== remove"
        "${sudo[@]}" apt-get remove -y -q quorvel quorvel-render || echo "FAIL: apt-get remove" >&2
    fi
}
trap cleanup EXIT
trap "exit 1" INT TERM HUP

echo "== install $(basename "$render_deb") alone"
installed=1
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$render_deb"
check test "$(command -v quorvel-render)" = /usr/bin/quorvel-render
check test -z "$(command -v quorvel)"
check test "$(man -w quorvel-render)" = /usr/share/man/man1/quorvel-render.1.gz
man quorvel-render 2>/dev/null | col -b | sed -n 1,4p
quorvel-render --version
ldd /usr/bin/quorvel-render | grep -i libqt && fail "the installed quorvel-render links Qt"
check quorvel-render -f /usr/share/quorvel/TONESETS.INI -s ZVEI1 -p 0 -r -o "$home/alone.wav" 12345

echo "== install $(basename "$deb")"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb"

echo "== what a user finds"
check test "$(command -v quorvel)" = /usr/bin/quorvel
check test "$(man -w quorvel)" = /usr/share/man/man1/quorvel.1.gz
desktop=/usr/share/applications/quorvel.desktop
check desktop-file-validate "$desktop"
grep '^Exec=' "$desktop"
check quorvel-render -f /usr/share/quorvel/TONESETS.INI -s ZVEI1 -p 0 -r -o "$home/call.wav" 12345
file "$home/call.wav"

echo "== start from the menu entry (offscreen, private sound server, HOME=$home)"
private_pulse_start quorvel_install_sink
read -ra command <<<"$(sed -n 's/^Exec=//p' "$desktop")"
(cd / && exec env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen "${command[@]}") \
    >"$home/window.log" 2>&1 &
app=$!
workdir=$home/.local/share/quorvel
for _ in $(seq 100); do
    [[ -f "$workdir/Quorvel.ini" ]] && break
    sleep 0.1
done
check test "$(readlink "/proc/$app/cwd")" = "$workdir"
check cmp /usr/share/quorvel/TONESETS.INI "$workdir/TONESETS.INI"
# SIGTERM closes the window as a logout does, saving Quorvel.ini.
kill -TERM "$app" 2>/dev/null || true
status=0
wait_exit "$app" 10 || status=$?
app=""
check test "$status" -eq 0
ls -l "$workdir"
echo "Quorvel.ini: $(cat "$workdir/Quorvel.ini" 2>&1)"
[[ ! -s "$home/window.log" ]] || { echo "window's output:"; cat "$home/window.log"; }

echo "== remove quorvel: the renderer stays"
"${sudo[@]}" apt-get remove -y -q quorvel
hash -r # bash remembers where it found the programs
check test -z "$(command -v quorvel)"
check test ! -e "$desktop" -a ! -e /usr/libexec/quorvel -a ! -e /usr/share/doc/quorvel
check test "$(command -v quorvel-render)" = /usr/bin/quorvel-render
check test -f /usr/share/quorvel/TONESETS.INI
check test -d "$workdir" # the user's own folder is never touched

echo "== remove quorvel-render"
installed=0
"${sudo[@]}" apt-get remove -y -q quorvel-render
hash -r
check test -z "$(command -v quorvel-render)"
check test ! -e /usr/share/quorvel -a ! -e /usr/share/doc/quorvel-render
for package in quorvel quorvel-render; do
    check test "$(dpkg-query -W -f='${Status}' $package 2>/dev/null || true)" != "install ok installed"
done
man -w quorvel-render >/dev/null 2>&1 && fail "man still finds quorvel-render"

((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
echo "installed, used and removed cleanly"
