#!/usr/bin/env bash
# Renders every DTMF symbol with quorvel-render and decodes it with multimon-ng,
# an independent decoder: E and F must read back as the keys * and #.
set -euo pipefail
render=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$render" -s DTMF1 -t 70 -p 60 -- 0123456789ABCDEF > "$work/keys.raw"
decoded=$(multimon-ng -q -t raw -a DTMF "$work/keys.raw" 2>/dev/null | sed -n 's/^DTMF: //p' | tr -d '\n')
expected="0123456789ABCD*#"
if [[ "$decoded" != "$expected" ]]; then
    echo "DTMF decode: expected '$expected', got '$decoded'" >&2
    exit 1
fi
echo "DTMF decode: $decoded"
