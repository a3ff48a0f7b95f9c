#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a packager or desktop would see:
# every file in its place, the desktop entry and the AppStream metainfo valid, the icons at
# their sizes, the man pages free of formatter warnings, and the menu's launcher working.
# Usage: check_install.sh BUILD_DIR SOURCE_DIR PROGRAM...
set -euo pipefail
build=$1
source=$2
shift 2

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$prefix/install.log" 2>&1 ||
    { cat "$prefix/install.log" >&2; echo "FAIL: cmake --install failed" >&2; exit 1; }

share=$prefix/share
desktop=$share/applications/quorvel.desktop
metainfo=$share/metainfo/io.github.quorvel.Quorvel.metainfo.xml
launcher=$prefix/libexec/quorvel/run-quorvel.sh
for file in "$desktop" "$metainfo" "$share/icons/hicolor/scalable/apps/quorvel.svg" \
    "$share/man/man1/quorvel.1.gz" "$share/man/man1/quorvel-render.1.gz"; do
    [[ -f "$file" ]] || fail "not installed: ${file#"$prefix"/}"
done
for program in "${@/#/$prefix/bin/}" "$launcher"; do
    [[ -x "$program" ]] || fail "not installed or not executable: ${program#"$prefix"/}"
done

# Hints count too: a hint such as a missing main category hides the entry in menus.
report=$(desktop-file-validate "$desktop" 2>&1) && [[ -z "$report" ]] ||
    fail "desktop-file-validate: $report"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli rejects the installed tree"
grep -qxF "Exec=$launcher $prefix/bin/quorvel" "$desktop" ||
    fail "the desktop entry does not start the installed quorvel through its launcher"
grep -qx 'Icon=quorvel' "$desktop" || fail "the desktop entry does not name the quorvel icon"
grep -q '<launchable type="desktop-id">quorvel.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch quorvel.desktop"

# Width and height are the two big-endian 32-bit words after the PNG signature and IHDR header.
for size in 16 32; do
    icon=$share/icons/hicolor/${size}x${size}/apps/quorvel.png
    got=$(od -An -tu1 -j16 -N8 "$icon" 2>/dev/null | awk '{print $3*256+$4 "x" $7*256+$8}')
    [[ "$got" == "${size}x${size}" ]] || fail "icon ${size}x${size} missing or of size '$got'"
done

# The command line pulls in no Qt: a headless station installs no GUI stack to get it.
qt=$(ldd "$prefix/bin/quorvel-render" | grep -i 'libqt' || true)
[[ -z "$qt" ]] || fail "quorvel-render links Qt: $qt"
# The installed quorvel-render finds the installed tone sets without -f.
listed=$(cd "$prefix" && env -u XDG_DATA_HOME HOME="$prefix/nohome" XDG_DATA_DIRS="$share" \
    "$prefix/bin/quorvel-render" -l 2>&1 >/dev/null) || fail "quorvel-render -l failed"
[[ "$listed" == "quorvel-render: tone sets read from '$share/quorvel/TONESETS.INI'" ]] ||
    fail "quorvel-render -l without -f: '$listed'"

# The installed launcher, run from the installed tree, copies the installed example.
data_home=$prefix/home-data
workdir=$(env -u QUORVEL_EXAMPLE_TONESETS XDG_DATA_HOME="$data_home" "$launcher" pwd) ||
    fail "the installed launcher failed"
[[ "$workdir" == "$data_home/quorvel" ]] || fail "the installed launcher ran in '$workdir'"
for copy in "$share/quorvel/TONESETS.INI" "$data_home/quorvel/TONESETS.INI"; do
    cmp -s "$source/data/TONESETS.INI" "$copy" || fail "${copy#"$prefix"/} differs from the shipped file"
done

for page in quorvel quorvel-render; do
    text=$(zcat "$share/man/man1/$page.1.gz") || fail "man page $page.1.gz cannot be read"
    warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 <<<"$text" 2>&1)
    [[ -z "$warnings" ]] || fail "man page $page.1: $warnings"
    head -n1 <<<"$text" | grep -q '"Quorvel [0-9]*\.[0-9]*\.[0-9]*"' ||
        fail "man page $page.1 is not marked with the version"
done
zgrep -qF -- '-s ZVEI1 \-p 0 \-r \-o call.wav 12345' "$share/man/man1/quorvel-render.1.gz" ||
    fail "quorvel-render.1 lacks the ZVEI1 export example"

((failures == 0)) || { echo "$failures install check(s) failed" >&2; exit 1; }
echo "install tree complete and valid"
