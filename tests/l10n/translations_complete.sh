#!/usr/bin/env bash
# Every text of the program that the user sees has a finished English translation: the sources are read
# again into a copy of the translation file, and lrelease must find nothing new, unfinished or untranslated.
# A new text without a translation fails here; scripts/translations updates the file for the translator.
set -euo pipefail
source_dir=${VANTOR_SOURCE_DIR:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=/usr/lib/qt6/bin
for ts in "$source_dir"/translations/*.ts; do
    copy=$work/$(basename "$ts")
    cp "$ts" "$copy"
    report=$("$bin/lupdate" "$source_dir/src" -extensions cpp,h -locations none -no-obsolete -ts "$copy" 2>&1)
    echo "$report" | grep -q "(0 new and" || { echo "$report"; echo "FAIL: $(basename "$ts"): texts without a translation"; exit 1; }
    result=$("$bin/lrelease" "$copy" -qm "$work/out.qm" 2>&1)
    echo "$result"
    echo "$result" | grep -q " 0 unfinished)" || { echo "FAIL: $(basename "$ts") has unfinished translations"; exit 1; }
    if echo "$result" | grep -qi "untranslated"; then
        echo "FAIL: $(basename "$ts") has untranslated texts"
        exit 1
    fi
done
echo "every text has a finished translation"
