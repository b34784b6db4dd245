#!/bin/bash
# Fails when a translation is not complete: lupdate reads the program's
# sources into copies of translations/*.ts, and any message it marks
# unfinished (a text no translation has yet) or vanished/obsolete (one the
# program no longer has) is listed. Run lupdate the same way, then translate
# in Qt Linguist, to mend it (see the README's "Translations").
#   translations_check.sh LUPDATE SOURCE_ROOT
set -euo pipefail
lupdate="$1"
root="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/translations/*.ts "$work/"
cd "$root"
failed=0
for ts in "$work"/*.ts; do
  "$lupdate" -silent -locations none -no-ui-lines -extensions cpp,h common player search tags playlist settings volume \
    -ts "$ts" >/dev/null 2>&1
  bad=$(grep -c -E 'type="(unfinished|vanished|obsolete)"' "$ts" || true)
  if [ "$bad" != "0" ]; then
    echo "$(basename "$ts"): $bad messages unfinished or obsolete:"
    grep -B2 -E 'type="(unfinished|vanished|obsolete)"' "$ts" | grep -E '<source>' | head -20
    failed=1
  fi
done
exit $failed
