#!/bin/bash
# Printing through a private CUPS scheduler: a file: queue on the Generic PDF driver as the
# default destination, in a temporary folder. The system's scheduler is never contacted.
# Usage: cups_print_test.sh UGFVIEW
set -u
UGFVIEW=$1
SRC=$(cd "$(dirname "$0")/../.." && pwd)

skip() {
  echo "SKIP: $*"
  if [ "${UGFVIEW_REQUIRE_CUPS:-0}" = 1 ]; then echo "FAIL: UGFVIEW_REQUIRE_CUPS=1"; exit 1; fi
  exit 77
}
fail() {
  echo "FAIL: $*"
  [ -n "${T:-}" ] && [ -f "$T/log/error_log" ] && tail -n 20 "$T/log/error_log"
  exit 1
}

source "$(dirname "$0")/cups_lib.sh"

OUT=$T/cups-out/out.pdf
lpadmin -p FILEPDF -E -v "file://$OUT" -m $PPD || fail "lpadmin could not add the queue"
lpadmin -d FILEPDF || fail "lpadmin -d"
# Jobs are held, so each one's page can be taken before the next overwrites the file.
lpadmin -p FILEPDF -o PageSize=A4 -o Resolution=600dpi -o job-hold-until-default=indefinite || fail "lpadmin -o"

wait_completed() {  # job id
  for _ in $(seq 200); do
    lpstat -W completed -o FILEPDF 2>/dev/null | grep -q "^FILEPDF-$1 " && return 0
    sleep 0.05
  done
  return 1
}
titled_tamrix() {  # job id: its page_log line names the job (PageLogFormat's %{job-name})
  for _ in $(seq 100); do
    awk -v id="$1" '$1 == "FILEPDF" && $3 == id && $10 == "Tamrix"' "$T/log/page_log" 2>/dev/null | grep -q . && return 0
    sleep 0.05
  done
  return 1
}
render() {  # pdf, output prefix: one PGM per page at 40 dpi (10 px = 6.35 mm)
  pdftoppm -r 40 -gray -aa no -aaVector no "$1" "$2"
}

# Two sheets across: 2 jobs titled Tamrix, in order, one page each.
"$UGFVIEW" --print --scale 0.02 "$SRC/samples/PLAN.UGF" || fail "ugfview --print exited $?"
ids=$(lpstat -W not-completed -o FILEPDF | awk '{sub("FILEPDF-","",$1); print $1}' | sort -n)
[ "$(echo $ids)" = "1 2" ] || fail "expected held jobs 1 2, got '$ids'"
for id in $ids; do
  lp -i "$id" -H resume >/dev/null || fail "cannot release job $id"
  wait_completed "$id" || fail "job $id did not complete"
  cp "$OUT" "$T/job$id.pdf"
  render "$T/job$id.pdf" "$T/j$id" || fail "pdftoppm failed on job $id"
  python3 -c 'import sys; d=open(sys.argv[1],"rb").read(); sys.exit(sum(b < 128 for b in d[-300000:]) < 100)' "$T/j$id-1.pgm" ||
    fail "job $id has an empty page"
  titled_tamrix "$id" || fail "job $id is not titled Tamrix: $(cat "$T/log/page_log")"
  pages=$(pdfinfo "$T/job$id.pdf" | awk '/^Pages:/{print $2}')
  [ "$pages" = 1 ] || fail "job $id has $pages pages"
done

# One sheet: the page is that of the PDF folder backend, moved by the margins.
"$UGFVIEW" --print "$SRC/samples/PART.UGF" || fail "ugfview --print exited $?"
lp -i 3 -H resume >/dev/null || fail "cannot release job 3"
wait_completed 3 || fail "job 3 did not complete"
cp "$OUT" "$T/part-cups.pdf"
UGFVIEW_PRINT_DIR=$T/folder "$UGFVIEW" --print "$SRC/samples/PART.UGF" || fail "folder print exited $?"
render "$T/part-cups.pdf" "$T/c" && render "$T/folder/job-0001.pdf" "$T/f" || fail "pdftoppm failed"
python3 - "$T/c-1.pgm" "$T/f-1.pgm" <<'EOF' || fail "the CUPS page differs from the folder page"
import sys
def pgm(path):
    data = open(path, 'rb').read()
    parts = data.split(maxsplit=4)
    w, h = int(parts[1]), int(parts[2])
    return w, h, parts[4][-w * h:]
cw, ch, c = pgm(sys.argv[1])
fw, fh, f = pgm(sys.argv[2])
dx, dy = 10, 20          # A4 margins of the Generic PDF queue: 6.35 and 12.7 mm at 40 dpi
def dark(img, w, h, x, y):
    return 0 <= x < w and 0 <= y < h and img[y * w + x] < 128
def near(img, w, h, x, y):
    return any(dark(img, w, h, x + i, y + j) for i in (-1, 0, 1) for j in (-1, 0, 1))
fd = [(x, y) for y in range(fh) for x in range(fw) if dark(f, fw, fh, x, y)]
cd = [(x, y) for y in range(ch) for x in range(cw) if dark(c, cw, ch, x, y)]
if len(fd) < 200:
    sys.exit(f"folder page nearly empty: {len(fd)} dark pixels")
miss = sum(1 for x, y in fd if not near(c, cw, ch, x + dx, y + dy))
extra = sum(1 for x, y in cd if not near(f, fw, fh, x - dx, y - dy))
print(f"dark pixels: folder {len(fd)}, cups {len(cd)}; missing {miss}, extra {extra}")
sys.exit(1 if miss > len(fd) // 100 or extra > len(cd) // 100 else 0)
EOF

# Printed from the menu: the note after it names the sheets and the printer.
UGFVIEW_KEYLOG=$T/keys.log "$UGFVIEW" --keys '49\r\r' "$SRC/samples/PART.UGF" || fail "menu print exited $?"
grep -qx "text 0  Листов: 1, отправлены на принтер FILEPDF" "$T/keys.log" ||
  fail "no note after the menu print: $(grep '^text' "$T/keys.log")"

# A default destination that is not there: no printer, exit status 1.
lpadmin -x FILEPDF || fail "lpadmin -x"
"$UGFVIEW" --print "$SRC/samples/PART.UGF" 2>"$T/err"
status=$?
[ $status = 1 ] || fail "no printer: status $status"
grep -q "no printer" "$T/err" || fail "no printer: $(cat "$T/err")"
echo "PASS"
