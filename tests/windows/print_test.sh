#!/bin/bash
# GDI printing of the Windows program under wine into a private CUPS scheduler (a file: queue
# on the Generic PDF driver): jobs titled Tamrix, one per sheet, true sizes on paper, the
# not-found path, a print cancelled at its dialog; and the EMF folder played back against the
# Linux program's PDF folder.
# Usage: print_test.sh UGFVIEW.EXE LINUX_UGFVIEW EMF_PLAY.EXE (under tools/windows.sh test)
set -u
exe=$(readlink -f "$1")
lin=$(readlink -f "$2")
play=$(readlink -f "$3")
src=$(cd "$(dirname "$0")/../.." && pwd)
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
[[ -n ${WINEPREFIX:-} ]] || fail "WINEPREFIX is not set: run through tools/windows.sh test"
source "$src/tests/cups/cups_lib.sh"
unset DISPLAY
cd "$T" || fail "cd"
win() { timeout 120 wine "$exe" "$@" >"$T/win.out" 2>"$T/win.err"; }
# wine learns of a new CUPS queue in the background, sometimes only seconds later: a print that
# found no printer yet is tried again (it sent nothing, so the job count stays exact).
win_print() {
  local _
  for _ in $(seq 40); do
    win --print "$@" && return 0
    grep -q "no printer" "$T/win.err" || return 1
    sleep 0.5
  done
  return 1
}
jobs_now() { LC_ALL=C lpstat -W all -o 2>/dev/null | grep -c . ; }
same_png() { [[ $(compare -metric AE "$1" "$2" null: 2>&1) == 0 ]]; }

# No printer at all: --print says so with status 1; the dialog shows the not-found message as
# the Linux program's does.
win --print "$src/samples/PART.UGF"
status=$?
[[ $status == 1 ]] || fail "no printer: status $status"
grep -q "no printer" "$T/win.err" || fail "no printer: $(cat "$T/win.err")"
win --size 800x600 --keys '4{shot nf-w.png}\e\e' "$src/samples/PART.UGF" || fail "no printer dialog: $?"
CUPS_SERVER=$T/none.sock "$lin" --size 800x600 --keys '4{shot nf-l.png}\e\e' "$src/samples/PART.UGF" ||
  fail "Linux no printer dialog"
same_png nf-w.png nf-l.png || fail "the not-found message differs from the Linux program's"
echo "ok: no printer"

OUT=$T/cups-out/out.pdf
lpadmin -p FILEPDF -E -v "file://$OUT" -m $PPD -o PageSize=A4 2>/dev/null || fail "lpadmin could not add the queue"
lpadmin -d FILEPDF || fail "lpadmin -d"
# Held jobs: each page is taken before the next job overwrites the file.
lpadmin -p FILEPDF -o job-hold-until-default=indefinite || fail "lpadmin -o"

# release ID: lets job ID print and keeps its page as $T/jobID.pdf.
release() {
  lp -i "$1" -H resume >/dev/null || fail "cannot release job $1"
  for _ in $(seq 200); do
    LC_ALL=C lpstat -W completed -o FILEPDF 2>/dev/null | grep -q "^FILEPDF-$1 " && break
    sleep 0.05
  done
  LC_ALL=C lpstat -W completed -o FILEPDF | grep -q "^FILEPDF-$1 " || fail "job $1 did not complete"
  cp "$OUT" "$T/job$1.pdf"
  for _ in $(seq 100); do
    awk -v id="$1" '$1 == "FILEPDF" && $3 == id && $10 == "Tamrix"' "$T/log/page_log" 2>/dev/null | grep -q . && return
    sleep 0.05
  done
  fail "job $1 is not titled Tamrix: $(cat "$T/log/page_log" 2>/dev/null)"
}

# Two sheets across: two jobs, titled Tamrix, one page each.
win_print --scale 0.02 "$src/samples/PLAN.UGF" || fail "--print PLAN: status $? $(cat "$T/win.err")"
[[ $(jobs_now) == 2 ]] || fail "expected 2 jobs, got: $(LC_ALL=C lpstat -W all -o)"
for id in 1 2; do
  release $id
  pages=$(pdfinfo "$T/job$id.pdf" | awk '/^Pages:/{print $2}')
  [[ $pages == 1 ]] || fail "job $id has $pages pages"
done
echo "ok: two sheets, two jobs titled Tamrix"

# A 100 mm cross at scale 1 measures 100 mm on the page.
printf ' X Y PenNo\r\n0 0 1\r\n100 0 0\r\n0 0 2\r\n0 -100 0\r\n0 0 -1\r\n' >CROSS.UGF
win_print CROSS.UGF || fail "--print CROSS: status $? $(cat "$T/win.err")"
release 3
pdftoppm -r 300 -gray -aa no -aaVector no -singlefile "$T/job3.pdf" "$T/cross" || fail "pdftoppm"
python3 - "$T/cross.pgm" <<'EOF' || fail "the 100 mm lines do not measure 100 mm"
import re, sys
data = open(sys.argv[1], "rb").read()
magic, w, h, _, pix = data.split(maxsplit=4)
w, h = int(w), int(h)
pix = pix[-w * h:]
dark = [m.start() for m in re.finditer(rb"[\x00-\x7f]", pix)]
rows, cols = {}, {}
for i in dark:
    rows.setdefault(i // w, []).append(i % w)
    cols.setdefault(i % w, []).append(i // w)
row = max(rows.values(), key=len)
col = max(cols.values(), key=len)
mm = lambda dots: dots / 300 * 25.4
lx, ly = mm(max(row) - min(row)), mm(max(col) - min(col))
print(f"horizontal {lx:.2f} mm, vertical {ly:.2f} mm")
sys.exit(0 if abs(lx - 100) <= 0.3 and abs(ly - 100) <= 0.3 else 1)
EOF
echo "ok: 100 mm on paper"

# Cancelled at the dialog, or at its thickness question: nothing printed.
before=$(jobs_now)
win --keys '4\e' "$src/samples/PART.UGF" || fail "dialog left: status $?"
win --keys '49\e\e' "$src/samples/PART.UGF" || fail "thickness cancelled: status $?"
[[ $(jobs_now) == "$before" ]] || fail "a cancelled print made a job: $(LC_ALL=C lpstat -W all -o)"
echo "ok: cancelled prints make no job"

# The EMF folder: each sheet's lines where the Linux program's PDF folder puts them: every
# played-back dot within one dot of 600 dpi of the PDF's lines, and no PDF line missing (its
# one-dot strokes come out up to two dots wide where they run diagonally).
mkdir emf pdf
for args in "$src/samples/PART.UGF" "--scale 0.02 $src/samples/PLAN.UGF"; do
  # shellcheck disable=SC2086
  UGFVIEW_PRINT_DIR=$T/emf win --print $args || fail "EMF folder: $args: $? $(cat "$T/win.err")"
  # shellcheck disable=SC2086
  UGFVIEW_PRINT_DIR=$T/pdf "$lin" --print $args || fail "PDF folder: $args"
done
[[ $(ls emf) == "$(printf 'job-0001.emf\njob-0002.emf\njob-0003.emf')" ]] || fail "EMF folder holds: $(ls emf)"
for n in 0001 0002 0003; do
  timeout 120 wine "$play" "emf/job-$n.emf" "emf-$n.pgm" >/dev/null || fail "emf_play job-$n"
  pdftoppm -r 600 -gray -aa no -aaVector no -singlefile "pdf/job-$n.pdf" "pdf-$n" || fail "pdftoppm job-$n"
  python3 - "emf-$n.pgm" "pdf-$n.pgm" <<'EOF' || fail "sheet $n: the EMF lines are not where the PDF has them"
import re, sys
def dark(path):
    data = open(path, "rb").read()
    _, w, h, _, pix = data.split(maxsplit=4)
    w, h = int(w), int(h)
    pix = pix[-w * h:]
    return {(i % w, i // w) for i in (m.start() for m in re.finditer(rb"[\x00-\x7f]", pix))}
emf, pdf = dark(sys.argv[1]), dark(sys.argv[2])
def near(s, x, y, r):
    return any((x + i, y + j) in s for i in range(-r, r + 1) for j in range(-r, r + 1))
if len(pdf) < 1000:
    sys.exit(f"PDF page nearly empty: {len(pdf)} dark dots")
extra = sum(1 for x, y in emf if not near(pdf, x, y, 1))
miss = sum(1 for x, y in pdf if not near(emf, x, y, 2))
print(f"{sys.argv[1]}: dark dots EMF {len(emf)}, PDF {len(pdf)}; EMF beyond one dot {extra}, "
      f"PDF without EMF {miss}")
sys.exit(1 if miss or extra else 0)
EOF
done
echo "ok: the EMF folder's sheets match the PDF folder's"
echo "PASS"
