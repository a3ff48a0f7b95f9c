#!/usr/bin/env bash
# The Windows installer and zip, under Wine in a fresh prefix of their own, which
# `wine-tests.sh prefix STATE` makes and `wine-tests.sh prefix_end STATE` removes:
#   installer-tests.sh install STATE UNDER_TEST    a silent install (/S): the files, the
#                                                  Start-menu entry, the uninstall entry
#   installer-tests.sh window STATE UNDER_TEST     the Start-menu entry's command starts the
#                                                  window in %APPDATA%\Quorvel
#   installer-tests.sh uninstall STATE UNDER_TEST  the quiet uninstall command removes all that
#                                                  the install added, and keeps %APPDATA%\Quorvel
#   installer-tests.sh zip UNDER_TEST              the zip's contents
# UNDER_TEST (installer-under-test.txt in the Windows build) names the setup, the zip, the
# folder of what they ship, and whether they hold the programs or a stand-in for both.
# Exit status 77 (skipped) where Wine cannot run, or for the window while only the stand-in is
# built, with the reason.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
command=$1
shift
source "$here/wine-common.sh"
# No menu entries for the Linux desktop (winemenubuilder), and nothing in the user's home.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

fail() {
    echo "$*" >&2
    exit 1
}

use_prefix() {
    local line
    line=$(cat "$1" 2>/dev/null || echo "unusable: no Wine prefix was made (windows_installer_prefix did not run)")
    if [[ "$line" == unusable:* ]]; then
        echo "SKIPPED: Wine cannot run here: ${line#unusable: }" >&2
        exit 77
    fi
    export WINEPREFIX=$line
    scratch=$(dirname "$WINEPREFIX")
    export HOME=$scratch/home XDG_DATA_HOME=$scratch/home/data XDG_CONFIG_HOME=$scratch/home/config
    mkdir -p "$HOME"
}

read_under_test() {
    [[ -f "$1" ]] || fail "$1 is missing: build the Windows tree first (make windows)"
    programs=$(sed -n 's/^programs=//p' "$1")
    setup=$(sed -n 's/^setup=//p' "$1")
    zip=$(sed -n 's/^zip=//p' "$1")
    version=$(sed -n 's/^version=//p' "$1")
    shipped=$(sed -n 's/^shipped=//p' "$1")
    echo "under test: $setup and $zip, with the $programs programs"
}

# Runs a Windows program with a deadline; its output, less carriage returns, on stdout.
wine_out() {
    local status=0 out
    out=$(timeout 120 "$wine" "$@" 2>/dev/null | tr -d '\r') || status=$?
    [[ -z "$out" ]] || printf '%s\n' "$out"
    return $status
}

unix_path() {
    wine_out winepath -u "$1"
}

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel'
# The uninstall entry's values as "NAME TYPE VALUE", sorted.
uninstall_entry() {
    wine_out reg query "$key" | sed -n 's/^    \([^ ]*\)    \(REG_[A-Z_]*\)    /\1 \2 /p' | sort
}

# The prefix's files, less the Temp folders that Wine and the installers keep for themselves
# and the system folder, which Wine goes on filling while a new prefix settles (windows/inf).
drive_files() {
    (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -print |
        grep -v '/Temp\(/\|$\)' | sort)
}

# Waits up to SECONDS for COMMAND to succeed.
wait_for() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 5))); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

files_are() {
    local dir=$1 listed
    shift
    listed=$(ls -A "$dir" | sort | tr '\n' ' ')
    [[ "$listed" == "$(printf '%s\n' "$@" | sort | tr '\n' ' ')" ]] ||
        fail "$dir holds: $listed; expected: $*"
}

installed=("TONESETS.INI" "quorvel-render.exe" "quorvel.exe" "quorvel.ico" "uninstall.exe")
start_menu_entry() {
    echo "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvel.lnk"
}

case "$command" in
install)
    use_prefix "$1"
    read_under_test "$2"
    [[ -f "$setup" ]] || fail "$setup is missing: build the Windows tree first (make windows)"
    file -b "$setup" | grep -q '^PE32+ executable (GUI) x86-64' ||
        fail "$setup is not a 64-bit Windows program: $(file -b "$setup")"
    drive_files >"$scratch/before.txt"
    status=0
    wine_out "$setup" /S || status=$?
    ((status == 0)) || fail "the silent install ended with status $status"
    drive_files >"$scratch/after.txt"
    # What the install added, for the uninstall to remove.
    comm -13 "$scratch/before.txt" "$scratch/after.txt" >"$scratch/added.txt"
    echo "the silent install added:"
    sed 's/^/  /' "$scratch/added.txt"

    dir=$(unix_path 'C:\Program Files\Quorvel')
    files_are "$dir" "${installed[@]}"
    for name in quorvel.exe quorvel-render.exe TONESETS.INI; do
        cmp "$shipped/$name" "$dir/$name" || fail "the installed $name is not the one built"
    done
    cmp "$here/../../data/TONESETS.INI" "$dir/TONESETS.INI"
    icotool -l "$dir/quorvel.ico" >/dev/null || fail "the installed quorvel.ico is no icon"

    link=$(start_menu_entry)
    [[ -f "$link" ]] || fail "no Start-menu entry $link"
    fields=$("$here/lnk-fields.py" "$link")
    echo "Start-menu entry Quorvel.lnk:"
    sed 's/^/  /' <<<"$fields"
    expected='target=C:\Program Files\Quorvel\quorvel.exe
arguments=--user-folder
working_dir=C:\Program Files\Quorvel
icon=C:\Program Files\Quorvel\quorvel.ico,0
description=Send tone sequences through the sound card'
    [[ "$fields" == "$expected" ]] || fail "the Start-menu entry should read:"$'\n'"$expected"

    entry=$(uninstall_entry)
    echo "uninstall entry $key:"
    sed 's/^/  /' <<<"$entry"
    # In KiB, the installed files' sizes added up (rounded either way).
    size=$(sed -n 's/^EstimatedSize REG_DWORD //p' <<<"$entry")
    bytes=$(cd "$dir" && cat "${installed[@]}" | wc -c)
    ((size >= bytes / 1024 && size <= (bytes + 1023) / 1024)) ||
        fail "EstimatedSize $size KiB for $bytes bytes"
    expected="DisplayIcon REG_SZ C:\\Program Files\\Quorvel\\quorvel.ico
DisplayName REG_SZ Quorvel
DisplayVersion REG_SZ $version
EstimatedSize REG_DWORD $size
InstallLocation REG_SZ C:\\Program Files\\Quorvel
NoModify REG_DWORD 0x1
NoRepair REG_DWORD 0x1
Publisher REG_SZ The Quorvel developers
QuietUninstallString REG_SZ \"C:\\Program Files\\Quorvel\\uninstall.exe\" /S
UninstallString REG_SZ \"C:\\Program Files\\Quorvel\\uninstall.exe\""
    [[ "$entry" == "$expected" ]] || fail "the uninstall entry should read:"$'\n'"$expected"
    ;;
window)
    use_prefix "$1"
    read_under_test "$2"
    if [[ "$programs" != real ]]; then
        echo "SKIPPED: quorvel.exe is not built for Windows yet (no target quorvel in the" \
            "Windows build): the installer under test holds a stand-in, so the installed" \
            "window cannot be started" >&2
        exit 77
    fi
    fields=$("$here/lnk-fields.py" "$(start_menu_entry)")
    target=$(sed -n 's/^target=//p' <<<"$fields")
    arguments=$(sed -n 's/^arguments=//p' <<<"$fields")
    working_dir=$(unix_path "$(sed -n 's/^working_dir=//p' <<<"$fields")")
    appdata=$(wine_out cmd /c 'echo %APPDATA%')
    user_folder=$(unix_path "$appdata\\Quorvel")
    [[ ! -e "$user_folder" ]] || fail "$user_folder is there before the window first started"

    source "$here/../acceptance/private-pulse.sh"
    source "$here/../acceptance/private-window.sh"
    test_traps
    TEST_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-installed.XXXXXX")
    private_pulse_start quorvel_installed_sink
    desktop_gone
    private_x_start "$TEST_DIR"
    # As the Start menu starts it: the shortcut's target, arguments and working folder.
    # shellcheck disable=SC2086 # the arguments are words, as the shell link holds them
    (cd "$working_dir" && exec timeout 150 "$wine" "$target" $arguments) \
        >"$TEST_DIR/quorvel.log" 2>&1 &
    WINDOW_APP=$!
    wait_for 60 xdotool search --onlyvisible --name '^Quorvel v3' >/dev/null ||
        fail "the installed window did not appear"
    # Its first start copied the shipped tone sets there.
    cmp "$here/../../data/TONESETS.INI" "$user_folder/TONESETS.INI"
    # A close as the user's: the window saves its settings in the folder it runs in.
    wine_out taskkill /IM quorvel.exe
    status=0
    wait_exit "$WINDOW_APP" 30 || status=$?
    ((status == 0)) || fail "the window ended with status $status after the close"
    WINDOW_APP=""
    files_are "$user_folder" TONESETS.INI Quorvel.ini
    echo "the installed window started in $appdata\\Quorvel, left there:"
    ls -l "$user_folder" | sed 's/^/  /'
    ;;
uninstall)
    use_prefix "$1"
    read_under_test "$2"
    appdata=$(wine_out cmd /c 'echo %APPDATA%')
    user_folder=$(unix_path "$appdata\\Quorvel")
    # The user's own folder (the window's, where it ran; else one made here) stays as it is.
    if [[ ! -d "$user_folder" ]]; then
        mkdir -p "$user_folder"
        printf '0,0,2,"12345",70,0,300,1\r\n' >"$user_folder/Quorvel.ini"
    fi
    kept=$(cd "$user_folder" && find . -type f | sort | xargs md5sum)

    quiet=$(sed -n 's/^QuietUninstallString REG_SZ //p' <<<"$(uninstall_entry)")
    [[ "$quiet" =~ ^\"([^\"]+)\"\ (.*)$ ]] || fail "no quiet uninstall command in $key"
    echo "running $quiet"
    status=0
    # shellcheck disable=SC2086 # the arguments are words, as the entry holds them
    wine_out "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]} || status=$?
    ((status == 0)) || fail "the silent uninstall ended with status $status"
    # The uninstaller runs on from a copy of itself in Temp, so that it can remove its own file.
    dir="$WINEPREFIX/drive_c/Program Files/Quorvel"
    gone() { [[ ! -e "$dir" ]] && ! wine_out reg query "$key" >/dev/null; }
    wait_for 60 gone || fail "60 s after the silent uninstall, $dir or $key is still there"

    left=$(while read -r path; do
        [[ ! -e "$WINEPREFIX/drive_c/$path" ]] || echo "$path"
    done <"$scratch/added.txt")
    [[ -z "$left" ]] || fail "the uninstall left what the install added:"$'\n'"$left"
    [[ ! -e "$(start_menu_entry)" ]] || fail "the Start-menu entry is still there"
    echo "the silent uninstall removed all $(wc -l <"$scratch/added.txt") paths that the install added"
    [[ "$(cd "$user_folder" && find . -type f | sort | xargs md5sum)" == "$kept" ]] ||
        fail "the uninstall changed $appdata\\Quorvel"
    echo "and kept $appdata\\Quorvel:"
    ls -l "$user_folder" | sed 's/^/  /'
    ;;
zip)
    read_under_test "$1"
    [[ -f "$zip" ]] || fail "$zip is missing: build the Windows tree first (make windows)"
    folder=Quorvel-$version
    listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
    expected="$folder/ $folder/TONESETS.INI $folder/quorvel-render.exe $folder/quorvel.exe "
    [[ "$listed" == "$expected" ]] || fail "the zip holds $listed; expected $expected"
    out=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-zip.XXXXXX")
    trap 'rm -rf "$out"' EXIT
    unzip -q "$zip" -d "$out"
    for name in quorvel.exe quorvel-render.exe TONESETS.INI; do
        cmp "$shipped/$name" "$out/$folder/$name" || fail "the zip's $name is not the one built"
    done
    cmp "$here/../../data/TONESETS.INI" "$out/$folder/TONESETS.INI"
    unzip -l "$zip"
    ;;
*)
    echo "usage: installer-tests.sh install|window|uninstall STATE UNDER_TEST, or zip UNDER_TEST" >&2
    exit 2
    ;;
esac
