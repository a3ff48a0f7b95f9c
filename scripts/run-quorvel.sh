#!/usr/bin/env bash
# Starts a Quorvel program in its working directory, where it reads TONESETS.INI and keeps
# Quorvel.ini: $XDG_DATA_HOME/quorvel, or ~/.local/share/quorvel when that is not set.
# The shipped TONESETS.INI is copied there when the directory has none; a file already there
# is the user's own and is never overwritten.
#
# Usage: run-quorvel.sh PROGRAM [ARGUMENT...]
# QUORVEL_EXAMPLE_TONESETS names the file to copy; the default is data/TONESETS.INI of the
# source tree this script belongs to or, installed in libexec/quorvel, the installed
# share/quorvel/TONESETS.INI.
set -euo pipefail

me=run-quorvel.sh
if [[ $# -lt 1 ]]; then
    echo "usage: $me PROGRAM [ARGUMENT...]" >&2
    exit 2
fi
program=$1
shift

# A path to the program is made absolute now: it would point elsewhere after the cd below.
if [[ "$program" == */* ]]; then
    if [[ ! -f "$program" || ! -x "$program" ]]; then
        echo "$me: cannot start '$program': no such executable file" >&2
        exit 1
    fi
    program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
elif ! command -v "$program" >/dev/null; then
    echo "$me: cannot start '$program': not found in PATH" >&2
    exit 1
fi

# The XDG base-directory rules ignore a relative XDG_DATA_HOME.
data_home=${XDG_DATA_HOME:-}
if [[ "$data_home" != /* ]]; then
    if [[ -z "${HOME:-}" ]]; then
        echo "$me: neither XDG_DATA_HOME nor HOME is set" >&2
        exit 1
    fi
    data_home=$HOME/.local/share
fi
workdir=$data_home/quorvel
mkdir -p -- "$workdir"

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
example=${QUORVEL_EXAMPLE_TONESETS:-}
if [[ -z "$example" ]]; then
    example=$here/../data/TONESETS.INI
    [[ -f "$example" ]] || example=$here/../../share/quorvel/TONESETS.INI
fi
target=$workdir/TONESETS.INI
if [[ ! -e "$target" && ! -L "$target" ]]; then
    if [[ -f "$example" ]]; then
        # Copied under a temporary name and moved into place without clobbering, so that a
        # failed copy leaves no half file that would later pass for the user's own.
        partial=$workdir/.TONESETS.INI.$$
        trap 'rm -f -- "$partial"' EXIT
        cp -- "$example" "$partial"
        mv -n -- "$partial" "$target"
        rm -f -- "$partial"
        trap - EXIT
    else
        echo "$me: warning: no tone-set file to copy at '$example'; only DTMF will be offered" >&2
    fi
fi

cd -- "$workdir"
exec "$program" "$@"
