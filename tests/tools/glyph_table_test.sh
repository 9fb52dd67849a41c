#!/usr/bin/env bash
# The stroke font table in src/dialogs/ is what tools/make_glyph_table.py writes today: an edit
# of the table by hand, or of the script without running it, fails here.
set -euo pipefail
root=$1
tmp=$(mktemp -d "${TMPDIR:-/tmp}/ugf-glyphs.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/src/dialogs"
python3 "$root/tools/make_glyph_table.py" "$tmp" >/dev/null
status=0
for f in glyph_table.h glyph_table.cpp; do
  if ! cmp "$tmp/src/dialogs/$f" "$root/src/dialogs/$f"; then
    echo "FAIL: src/dialogs/$f is not what tools/make_glyph_table.py makes (run it)"
    status=1
  fi
done
exit "$status"
