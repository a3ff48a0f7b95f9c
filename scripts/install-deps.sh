#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quorvel need.
# With --fuzz, also what the libFuzzer target needs. Idempotent: only missing packages
# are installed, and apt is not touched at all when nothing is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev qt6-qpa-plugins libqt6svg6 libpulse-dev libasound2-dev
    fonts-liberation2
    libsndfile1-dev libhamlib-dev libhamlib-utils libcli11-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    pulseaudio pulseaudio-utils multimon-ng libasound2-plugins
    pipewire wireplumber pipewire-pulse dbus
    xvfb xauth xdotool xclip python3 procps bsdutils strace
    desktop-file-utils appstream groff-base
    dpkg-dev lintian file gzip man-db
    # The Windows build (make windows) and its tests, run under Wine: MinGW-w64 with posix
    # threads, GoogleTest's source to build for it, and 64-bit Wine. Its installer: NSIS, and
    # icoutils for the .ico; unzip reads the zip back in the tests.
    g++-mingw-w64-x86-64-posix googletest wine64 nsis icoutils unzip
)
# The fuzz target (tests/fuzz) builds with clang and its libFuzzer runtime.
if [[ "${1:-}" == "--fuzz" ]]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo)
else
    echo "error: need root or sudo to install: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
