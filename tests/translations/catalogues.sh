#!/usr/bin/env bash
# Fails when a catalogue in translations/ lacks a translation of a text that
# the code or the forms hold today: the texts are gathered again into a copy
# of each catalogue, which must then have no unfinished entry.
#
#   tests/translations/catalogues.sh LUPDATE LRELEASE
set -euo pipefail
cd "$(dirname "$0")/../.."
lupdate=$1
lrelease=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for catalogue in translations/*.ts; do
    copy=$work/$(basename "$catalogue")
    cp "$catalogue" "$copy"
    "$lupdate" -silent src -no-obsolete -locations none -ts "$copy"
    summary=$("$lrelease" "$copy" -qm "$work/check.qm")
    echo "$(basename "$catalogue"): $summary"
    # A new text is "untranslated"; a changed one "unfinished".
    if ! grep -q ' 0 unfinished' <<<"$summary" || grep -q 'untranslated' <<<"$summary"; then
        echo "$catalogue lacks translations; run: cmake --build build --target update_translations" >&2
        status=1
    fi
done
exit $status
