#!/bin/bash
# Key codes and palette colours are named in graphics/keys.h and graphics/colours.h: no key
# comparison, queued key, key table row or drawing colour in src/ is a bare number.
# Usage: raw_codes_test.sh SOURCE_DIR
set -u
src="${1:-$(dirname "$0")/../..}/src"
keys='8|9|11|13|14|17|18|22|26|27|32|59|66|7[1-9]|8[0-3]|11[5-9]|141|145|15[2-7]|160'
patterns=(
  # keys: comparisons, switch labels, the queue, the key table and the menu panel's buttons
  "\b(key|code|ext|MenuKey)\s*[!=]=\s*[1-9][0-9]*\b"
  "\bkey\s*[!=]=\s*0\b"
  "\bcase\s+($keys)\s*:"
  "(PushKey|RemoveQueuedKey)\(\s*[0-9]"
  "\{\s*[0-9]{2,3}\s*,\s*[01]\s*,\s*[01]\s*,\s*[0-9]+\s*\}"
  "AddZone\(.*,\s*[1-9][0-9]*\s*,\s*[0-9]+\s*,\s*\""
  # colours: what is drawn with, and the start values of the colour settings
  "(SetDrawColor|SetPenColour|DrawGrid)\(\s*[0-9]+\s*\)"
  "PutPixel\([^;]*,\s*[0-9]+\s*\)"
  "Palette\[\s*[0-9]+\s*\]"
  "\bindex\s*==\s*[1-9]"
  "(Colour|Color|Pen|ColorIndex|colour)\s*=\s*[1-9][0-9]*\s*;"
)
status=0
for p in "${patterns[@]}"; do
  if grep -rnE --include='*.cpp' --include='*.h' "$p" "$src" |
     grep -vE "^$src/(graphics/keys\.h|graphics/colours\.h|dialogs/glyph_table\.cpp):"; then
    status=1
  fi
done
[[ $status == 0 ]] || echo "raw key codes or colour numbers above: use graphics/keys.h and graphics/colours.h" >&2
exit $status
