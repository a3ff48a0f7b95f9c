#!/usr/bin/env bash
# Renders calls in every shipped tone set with quorvel-render and decodes them with
# multimon-ng, an independent decoder. Each call uses the set's own default duration,
# no pause between tones and the repeat tone, so a repeated digit is sent as E.
# The results form the README's "Verified against an independent decoder" table:
# the test fails when the README's table differs from what was measured.
# Usage: decode_tonesets.sh RENDER TONESETS README [--update]
set -uo pipefail
render=$1
tonesets=$2
readme=$3
update=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# name|demodulator|calls, each "typed>sent" as the repeat tone sends it (;-separated)|note
r="11234>1E234;90990>909E0"
cases=(
    "DTMF1|DTMF|0123456789ABCDEF>0123456789ABCDEF;$r|"
    "DTMF2|DTMF|0123456789ABCDEF>0123456789ABCDEF;$r|"
    "ZVEI1|ZVEI1|$r;12345 67890>12345 67890|"
    "ZVEI2|ZVEI2|$r|"
    "ZVEI3|ZVEI3|$r|"
    "DZVEI|DZVEI|$r|"
    "PZVEI|PZVEI|12345>12345;98761>98761|multimon-ng puts E at 2400 Hz, its digit 0: no 0 and no repeats"
    "CCIR1|CCIR|$r;12345 67890>12345 67890|"
    "CCIR2|CCIR|$r|"
    "EEA|EEA|$r|"
    "EIA|EIA|$r|"
    "PCCIR|-||no PCCIR demodulator in multimon-ng"
    "EURO|-||no EURO demodulator in multimon-ng"
    "NATEL|-||no NATEL demodulator in multimon-ng"
    "MODAT|-||no MODAT demodulator in multimon-ng"
    "CCITT|-||no CCITT demodulator in multimon-ng"
)

# The decoders judge a tone over a window that runs past it, so a call that ends the file
# loses its last short tone (EEA, EIA). On air the call is followed by silence; so is the
# rendered call here: 200 ms of it, 8820 zero bytes, before the decoder reads it.
# DTMF reads E and F as the keys * and # and prints a line per key; the selective-call
# decoders print a line per call (joined here with |).
decode() {
    local demod=$1 file=$2
    cat "$file" <(head -c 8820 /dev/zero) >"$file.padded"
    multimon-ng -q -t raw -a "$demod" "$file.padded" 2>/dev/null | sed -n "s/^$demod: //p" |
        if [[ $demod == DTMF ]]; then tr -d '\n'; else paste -sd'|'; fi
}
expected_decode() {
    local demod=$1 sent=$2
    if [[ $demod == DTMF ]]; then
        sent=${sent//E/*}
        sent=${sent//F/#}
        printf '%s' "${sent// /}"
    else
        printf '%s' "${sent// /|}"
    fi
}

failures=0
table="| Tone set | Default ms | multimon-ng demodulator | Sent (typed → sent) | Result |"$'\n'
table+="|---|---|---|---|---|"$'\n'
while IFS= read -r entry; do
    IFS='|' read -r name demod sequences note <<<"$entry"
    duration=$("$render" -f "$tonesets" --list | awk -F'\t' -v n="$name" '$2 == n { print $3 }')
    [[ $name != DTMF* ]] || duration="(preset)"
    if [[ $demod == - ]]; then
        table+="| $name | $duration | none | — | not decodable here: $note |"$'\n'
        continue
    fi
    sent_cells=()
    result="decoded"
    IFS=';' read -ra seqs <<<"$sequences"
    for call in "${seqs[@]}"; do
        seq=${call%%>*}
        sent=${call#*>}
        file="$work/$name.raw"
        pause=(-p 0)
        [[ $name != DTMF* ]] || pause=() # the DTMF presets' own pause
        "$render" -f "$tonesets" -s "$name" "${pause[@]}" -r -- "$seq" >"$file"
        got=$(decode "$demod" "$file")
        want=$(expected_decode "$demod" "$sent")
        if [[ "$got" == "$want" ]]; then
            sent_cells+=("\`$seq\` → \`$sent\`")
        else
            echo "$name: sent '$seq' ($sent), $demod expected '$want', got '$got'" >&2
            sent_cells+=("\`$seq\` → \`$sent\` (read \`$got\`)")
            result="FAILED"
            failures=$((failures + 1))
        fi
    done
    joined=$(printf '%s, ' "${sent_cells[@]}")
    table+="| $name | $duration | $demod | ${joined%, } | $result |"$'\n'
done < <(printf '%s\n' "${cases[@]}")

printf '%s' "$table"

# Calls framed for a radio (not part of the README's table): a ZVEI1 call with a 700 ms first
# tone, sent twice 600 ms apart between a lead-in and a tail, decodes as two calls; DTMF keys
# 12 dB down after a lead-in still decode.
framed=(
    "ZVEI1|12345|12345 12345|--first-tone 700 --calls 2 --call-gap 600 --lead-in 300 --tail 200 -p 0 -r"
    "DTMF|0123456789ABCDEF|0123456789ABCDEF|-s DTMF1 --level -12 --lead-in 500 --first-tone 200"
)
for entry in "${framed[@]}"; do
    IFS='|' read -r demod seq sent options <<<"$entry"
    set=()
    [[ $demod == DTMF ]] || set=(-s "$demod")
    # shellcheck disable=SC2086 # the options are words
    "$render" -f "$tonesets" "${set[@]}" $options -- "$seq" >"$work/framed.raw"
    got=$(decode "$demod" "$work/framed.raw")
    want=$(expected_decode "$demod" "$sent")
    echo "framed $demod ($options): $got"
    if [[ "$got" != "$want" ]]; then
        echo "framed $demod call: expected '$want', got '$got'" >&2
        failures=$((failures + 1))
    fi
done

begin='<!-- decode-table:begin -->'
end='<!-- decode-table:end -->'
current=$(sed -n "/$begin/,/$end/p" "$readme" | sed '1d;$d')
if [[ $update == --update ]]; then
    # The lines between the markers give way to the table.
    TABLE=$table awk -v b="$begin" -v e="$end" '$0 == e { skip = 0 } !skip { print }
        $0 == b { printf "%s", ENVIRON["TABLE"]; skip = 1 }' "$readme" >"$work/readme"
    cat "$work/readme" >"$readme"
elif [[ "$current" != "${table%$'\n'}" ]]; then
    echo "README.md's decode table differs from this run; regenerate it with:" >&2
    echo "  $0 $render $tonesets $readme --update" >&2
    failures=$((failures + 1))
fi
exit $((failures > 0))
