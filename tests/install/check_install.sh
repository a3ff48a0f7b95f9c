#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a packager or desktop would see:
# every file in its place, the desktop entry and the AppStream metainfo valid, the icons at
# their sizes, and the man pages free of formatter warnings.
# Usage: check_install.sh BUILD_DIR SOURCE_DIR PROGRAM...
set -euo pipefail
build=$1
source=$2
shift 2
programs=("$@")

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || {
    cat "$prefix.log" >&2
    rm -f "$prefix.log"
    echo "FAIL: cmake --install failed" >&2
    exit 1
}
rm -f "$prefix.log"

share=$prefix/share
desktop=$share/applications/quorvel.desktop
metainfo=$share/metainfo/io.github.quorvel.Quorvel.metainfo.xml
expected=(
    "$desktop"
    "$metainfo"
    "$share/icons/hicolor/16x16/apps/quorvel.png"
    "$share/icons/hicolor/32x32/apps/quorvel.png"
    "$share/icons/hicolor/scalable/apps/quorvel.svg"
    "$share/quorvel/TONESETS.INI"
    "$share/man/man1/quorvel.1"
    "$share/man/man1/quorvel-render.1"
)
for program in "${programs[@]}"; do
    expected+=("$prefix/bin/$program")
done
for file in "${expected[@]}"; do
    [[ -f "$file" ]] || fail "not installed: ${file#"$prefix"/}"
done
for program in "${programs[@]}"; do
    [[ -x "$prefix/bin/$program" ]] || fail "not executable: bin/$program"
done

# Hints count too: a hint such as a missing main category hides the entry in menus.
if ! report=$(desktop-file-validate "$desktop" 2>&1) || [[ -n "$report" ]]; then
    fail "desktop-file-validate: $report"
fi
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli rejects the installed tree"

# The entry starts the installed launcher with the installed window program; the launcher,
# run from the installed tree, works in the user's data directory with the shipped sets.
grep -qE '^Exec=/.*/libexec/quorvel/run-quorvel\.sh /.*/bin/quorvel$' "$desktop" ||
    fail "the desktop entry does not start quorvel through its launcher"
launcher=$prefix/libexec/quorvel/run-quorvel.sh
if [[ -x "$launcher" ]]; then
    data_home=$prefix/home-data
    workdir=$(env -u QUORVEL_EXAMPLE_TONESETS XDG_DATA_HOME="$data_home" "$launcher" pwd) ||
        fail "the installed launcher failed"
    [[ "$workdir" == "$data_home/quorvel" ]] || fail "the installed launcher ran in '$workdir'"
    cmp -s "$source/data/TONESETS.INI" "$data_home/quorvel/TONESETS.INI" ||
        fail "the installed launcher did not copy the installed TONESETS.INI"
else
    fail "not installed or not executable: libexec/quorvel/run-quorvel.sh"
fi
grep -qx 'Icon=quorvel' "$desktop" || fail "the desktop entry does not name the quorvel icon"
grep -q '<launchable type="desktop-id">quorvel.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch quorvel.desktop"

# Width and height are the two big-endian 32-bit words after the PNG signature and IHDR header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'; }
for size in 16 32; do
    icon=$share/icons/hicolor/${size}x${size}/apps/quorvel.png
    if [[ -f "$icon" && $(png_size "$icon") != "${size}x${size}" ]]; then
        fail "icon ${size}x${size} has size $(png_size "$icon")"
    fi
done

cmp -s "$source/data/TONESETS.INI" "$share/quorvel/TONESETS.INI" ||
    fail "the installed TONESETS.INI differs from data/TONESETS.INI"

for page in quorvel quorvel-render; do
    warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 "$share/man/man1/$page.1" 2>&1)
    [[ -z "$warnings" ]] || fail "man page $page.1: $warnings"
done
grep -qF -- '-s ZVEI1 \-p 0 \-r \-o call.wav 12345' "$share/man/man1/quorvel-render.1" ||
    fail "quorvel-render.1 lacks the ZVEI1 export example"

if ((failures > 0)); then
    echo "$failures install check(s) failed" >&2
    exit 1
fi
echo "install tree complete and valid: ${#expected[@]} files"
