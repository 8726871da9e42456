#!/usr/bin/env bash
# Every text the user can see has a finished translation in each shipped
# catalogue: lupdate, run over the sources into a copy of a catalogue, marks
# any text that is new or changed since as unfinished.
# Usage: check-translations.sh SOURCE_DIR LUPDATE
set -uo pipefail
top=$1
lupdate=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/voxbench-ts.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$top" || exit 2

failures=0
shopt -s nullglob
catalogues=(resources/translations/voxbench_*.ts)
[ ${#catalogues[@]} -gt 0 ] || { echo "no catalogue in resources/translations"; exit 1; }
for catalogue in "${catalogues[@]}"; do
    copy="$work/$(basename "$catalogue")"
    cp "$catalogue" "$copy"
    # Its notes on classes it cannot resolve are noise here; shown only if it fails.
    "$lupdate" -silent -locations none app command model presets ui window -ts "$copy" 2>"$work/notes" || {
        cat "$work/notes"
        exit 2
    }
    # Each unfinished message, by its source text.
    untranslated=$(grep -B2 'type="unfinished"' "$copy" | sed -n 's:.*<source>\(.*\)</source>.*:\1:p')
    if [ -n "$untranslated" ]; then
        echo "$catalogue: no translation for:"
        sed 's/^/    /' <<<"$untranslated"
        failures=$((failures + 1))
    fi
    if ! grep -q '<message>' "$copy"; then
        echo "$catalogue: no messages"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] && echo "every catalogue is complete"
exit $((failures > 0))
