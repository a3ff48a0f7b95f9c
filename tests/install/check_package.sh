#!/usr/bin/env bash
# Builds the two Debian packages of a build tree, quorvel-render and quorvel, and checks them as
# Debian's tools see them: their control fields (no Qt for the renderer), their exact file lists
# and modes, lintian without errors, and, unpacked together into a temporary folder, a renderer
# that gives the build tree's bytes and a launcher that starts a program in a temporary
# XDG_DATA_HOME with the shipped tone sets.
# Usage: check_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; echo "FAIL: cpack failed" >&2; exit 1; }
render=$build/src/cli/quorvel-render
version=$("$render" --version | sed -n 's/^quorvel-render //p')
arch=$(dpkg --print-architecture)
for package in quorvel-render quorvel; do
    [[ -f "$tmp/out/${package}_${version}-1_$arch.deb" ]] ||
        { echo "FAIL: no ${package}_${version}-1_$arch.deb; made: $(ls "$tmp/out")" >&2; exit 1; }
done

# check_fields PACKAGE DEPENDS...: the control fields that both packages share, and the
# libraries that Depends must name.
check_fields() {
    local package=$1 deb=$tmp/out/${1}_${version}-1_$arch.deb
    shift
    field() { dpkg-deb -f "$deb" "$1"; }
    [[ "$(field Package) $(field Version)" == "$package $version-1" ]] ||
        fail "package $(field Package) $(field Version), not $package $version-1"
    [[ "$(field Source)" == quorvel ]] || fail "$package: source '$(field Source)'"
    [[ "$(field Section)" == hamradio ]] || fail "$package: section '$(field Section)'"
    [[ "$(field Maintainer)" == *?\ \<*@*\> ]] || fail "$package: maintainer '$(field Maintainer)'"
    [[ "$(field Recommends)" == "pipewire-pulse | pulseaudio" ]] ||
        fail "$package: recommends '$(field Recommends)'"
    [[ "$(field Suggests)" == multimon-ng ]] || fail "$package: suggests '$(field Suggests)'"
    # A summary line, then a long text of more than one line.
    [[ $(field Description | wc -l) -gt 2 ]] || fail "$package: no long description"
    local library
    for library in "$@"; do
        [[ ", $(field Depends)" == *", $library "* ]] ||
            fail "$package: Depends lacks $library: $(field Depends)"
    done
    echo "$package Depends: $(field Depends)"
}
check_fields quorvel-render libc6 libstdc++6 libpulse0 libasound2 libsndfile1
check_fields quorvel libc6 libstdc++6 libqt6core6 libqt6widgets6 libpulse0 libasound2 quorvel-render
# A headless station installs the renderer without Qt: neither its package nor its binary
# pulls any in.
render_deb=$tmp/out/quorvel-render_${version}-1_$arch.deb
if dpkg-deb -f "$render_deb" Depends | grep -qi 'qt'; then
    fail "quorvel-render depends on Qt: $(dpkg-deb -f "$render_deb" Depends)"
fi
if ldd "$render" | grep -qi 'libqt'; then
    fail "quorvel-render links Qt: $(ldd "$render" | grep -i libqt | xargs)"
fi
[[ "$(dpkg-deb -f "$tmp/out/quorvel_${version}-1_$arch.deb" Depends)" == *"quorvel-render (= $version-1)"* ]] ||
    fail "quorvel does not depend on this version of quorvel-render"

# Every entry: mode, owner, path. Nothing but these files, no /usr/local, and nothing writable
# by group or others.
sort >"$tmp/expected-quorvel-render" <<'EOF2'
./usr/bin/quorvel-render
./usr/share/doc/quorvel-render/changelog.Debian.gz
./usr/share/doc/quorvel-render/copyright
./usr/share/man/man1/quorvel-render.1.gz
./usr/share/quorvel/TONESETS.INI
EOF2
sort >"$tmp/expected-quorvel" <<'EOF2'
./usr/bin/quorvel
./usr/libexec/quorvel/run-quorvel.sh
./usr/share/applications/quorvel.desktop
./usr/share/doc/quorvel/changelog.Debian.gz
./usr/share/doc/quorvel/copyright
./usr/share/icons/hicolor/16x16/apps/quorvel.png
./usr/share/icons/hicolor/32x32/apps/quorvel.png
./usr/share/icons/hicolor/scalable/apps/quorvel.svg
./usr/share/man/man1/quorvel.1.gz
./usr/share/metainfo/io.github.quorvel.Quorvel.metainfo.xml
EOF2
root=$tmp/root
for package in quorvel-render quorvel; do
    deb=$tmp/out/${package}_${version}-1_$arch.deb
    dpkg-deb -c "$deb" | awk '{print $1, $2, $6}' >"$tmp/contents"
    awk '$1 !~ /^d/ {print $3}' "$tmp/contents" | sort >"$tmp/files"
    diff "$tmp/expected-$package" "$tmp/files" >&2 ||
        fail "$package: the file list differs (< expected, > packaged)"
    awk '$1 !~ /^[-d]r[-w][-x]r-[-x]r-[-x]$/ || $2 != "root/root"' "$tmp/contents" >"$tmp/bad"
    [[ ! -s "$tmp/bad" ]] || fail "$package: modes or owners: $(cat "$tmp/bad")"

    # Errors fail. The one warning left, initial-upload-closes-no-bugs, is about uploads to
    # Debian's archive, whose first changelog entry closes the request-for-packaging bug; this
    # package has none.
    lintian --tag-display-limit 0 "$deb" >"$tmp/lintian" 2>&1 || true
    cat "$tmp/lintian"
    ! grep -q '^E:' "$tmp/lintian" || fail "lintian reports errors in $package"
    dpkg-deb -x "$deb" "$root"
    head -n1 "$root/usr/share/doc/$package/copyright" |
        grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
        fail "the copyright file of $package is not in the machine-readable format"
done

# gzip -9n: no name and no time stamp in the header (flags and MTIME zero), best compression.
for page in quorvel quorvel-render; do
    header=$(od -An -tu1 -j3 -N6 "$root/usr/share/man/man1/$page.1.gz" | xargs)
    [[ "$header" == "0 0 0 0 0 2" ]] || fail "$page.1.gz header '$header' is not that of gzip -9n"
done
grep -qx 'Exec=/usr/libexec/quorvel/run-quorvel.sh /usr/bin/quorvel' \
    "$root/usr/share/applications/quorvel.desktop" || fail "the desktop entry's Exec is not /usr's"

call=(-s ZVEI1 -p 0 -r --calls 2 --first-tone 700 -o - 12345)
"$render" -f "$source_dir/data/TONESETS.INI" "${call[@]}" >"$tmp/built.raw"
"$root/usr/bin/quorvel-render" -f "$root/usr/share/quorvel/TONESETS.INI" "${call[@]}" \
    >"$tmp/packaged.raw" || fail "the packaged quorvel-render failed"
[[ -s "$tmp/built.raw" ]] && cmp "$tmp/built.raw" "$tmp/packaged.raw" ||
    fail "the packaged quorvel-render renders other bytes than the build tree's"
[[ "$("$root/usr/bin/quorvel-render" --version)" == "quorvel-render $version" ]] ||
    fail "the packaged quorvel-render is not version $version"

# The menu's way in: the launcher starts the program in XDG_DATA_HOME/quorvel, where the
# program finds the tone sets copied there.
data_home=$tmp/data-home
sets=$(cd / && env -u QUORVEL_EXAMPLE_TONESETS XDG_DATA_HOME="$data_home" \
    "$root/usr/libexec/quorvel/run-quorvel.sh" "$root/usr/bin/quorvel-render" -l) ||
    fail "the packaged launcher failed"
cmp -s "$source_dir/data/TONESETS.INI" "$data_home/quorvel/TONESETS.INI" ||
    fail "the launcher did not copy the packaged TONESETS.INI"
grep -q $'^2\tZVEI1\t70$' <<<"$sets" || fail "the program did not read the copied sets: $sets"

((failures == 0)) || { echo "$failures package check(s) failed" >&2; exit 1; }
echo "packages quorvel-render and quorvel complete and lintian-clean of errors"
