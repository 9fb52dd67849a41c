#!/bin/bash
# The Windows program against the Linux program: batch conversions byte for byte, headless
# screenshots after the same key scripts pixel for pixel, and the same reports and codes for
# awkward names, the drive form of Windows paths, TEK.DAT, a read-only folder and bad drawings.
# Usage: compare_test.sh UGFVIEW.EXE LINUX_UGFVIEW (under tools/windows.sh test)
set -u
source "$(dirname "$0")/wine_lib.sh"
wine_args "$@"
mkdir -p "$tmp/w" "$tmp/l"

# Every sample: the three conversions (one turned), and shots after zoom, pan, turns, four
# viewports and item 7, taken in one run each.
script='{PgUp}{PgUp}{Left}{Up}{shot z.png}{ctrl+Left}{shift+Down}{shot t.png}${shot f.png}!7{shot r.png}{wheel 1}{click 200 150}'
for f in "$src"/samples/*.UGF; do
  b=$(basename "$f" .UGF)
  for side in w l; do
    cd "$tmp/$side" || fail "cd"
    run=lnx
    [[ $side == w ]] && run=win
    $run --plt "$b.PLT" --scale 2 "$f" && [[ $st == 0 ]] || fail "$side --plt $b: $st $err"
    $run --sgb "$b.SGB" "$f" && [[ $st == 0 ]] || fail "$side --sgb $b: $st $err"
    $run --ugf "$b-R.UGF" --rotate "$f" && [[ $st == 0 ]] || fail "$side --ugf $b: $st $err"
    $run --size 800x600 --keys "$script" --screenshot "$b-end.png" "$f"
    [[ $st == 0 ]] || fail "$side screenshots of $b: status $st $err"
    for s in z t f r; do mv "$s.png" "$b-$s.png" || fail "$side: no shot $s of $b"; done
  done
  for out in "$b.PLT" "$b.SGB" "$b-R.UGF"; do
    cmp -s "$tmp/w/$out" "$tmp/l/$out" || fail "$out differs from the Linux program's"
  done
  for s in z t f r end; do
    same_png "$tmp/w/$b-$s.png" "$tmp/l/$b-$s.png" || fail "screenshot $s of $b differs"
  done
done
echo "conversions and screenshots of every sample: same as Linux"

# Cyrillic letters and blanks in folder and file names, whatever the ANSI code page (wine
# takes 1251 from a Russian locale, 1252 from C.UTF-8).
dir="$tmp/Чертежи с пробелом"
mkdir -p "$dir"
cp "$src/samples/PART.UGF" "$dir/План 1.UGF"
cd "$dir" || fail "cd"
lnx --ugf "l.UGF" --keys '' --screenshot l.png "План 1.UGF"
lnx --keys '5\r\r' --screenshot l.png "$dir/План 1.UGF"
mv "План 1.PLT" l.PLT || fail "Linux: no output named as the drawing"
for locale in ru_RU.UTF-8 C.UTF-8; do
  LANG=$locale LC_ALL=$locale win --ugf "w.UGF" "План 1.UGF"
  [[ $st == 0 ]] || fail "$locale: --ugf of a Cyrillic name: $st $err"
  LANG=$locale LC_ALL=$locale win --keys '5\r\r' --screenshot w.png "$dir/План 1.UGF"
  [[ $st == 0 ]] || fail "$locale: item 5 of a Cyrillic name: $st $err"
  [[ -f "План 1.PLT" ]] || fail "$locale: item 5 did not write 'План 1.PLT': $(ls)"
  cmp -s "План 1.PLT" l.PLT || fail "$locale: 'План 1.PLT' differs"
  same_png w.png l.png || fail "$locale: the title of a Cyrillic name differs"
  rm -f "План 1.PLT" w.png
done
echo "Cyrillic and blank names: same as Linux under code pages 1251 and 1252"

# The drive form: D:\DRAW\PLAN.UGF with drive D: mapped to a folder, TEK.DAT naming it, and
# menu outputs written there.
drive=$WINEPREFIX/dosdevices/d:
[[ -e $drive || -L $drive ]] && fail "drive D: is taken in the test prefix"
mkdir -p "$tmp/d/DRAW" "$tmp/start"
cp "$src/samples/PLAN.UGF" "$tmp/d/DRAW/PLAN.UGF"
ln -s "$tmp/d" "$drive"
trap 'rm -f "$drive"; chattr -i "$tmp"/* 2>/dev/null; rm -rf "$tmp"' EXIT
cd "$tmp/start" || fail "cd"
win --ugf 'D:\DRAW\OUT.UGF' 'D:\DRAW\PLAN.UGF'
[[ $st == 0 ]] || fail "drive form: $st $err"
lnx --ugf "$tmp/l/OUT.UGF" "$tmp/d/DRAW/PLAN.UGF"
cmp -s "$tmp/d/DRAW/OUT.UGF" "$tmp/l/OUT.UGF" || fail "drive form: OUT.UGF differs"
rm "$tmp/d/DRAW/OUT.UGF"  # the selector below lists PLAN alone
printf 'work\r\nD:\\DRAW\\\r\n' >TEK.DAT
win --keys '\r{shot sel.png}3\r\e' --size 640x480
[[ $st == 0 ]] || fail "TEK.DAT D:\\DRAW\\: $st $err"
[[ -f $tmp/d/DRAW/PLAN.SGB ]] || fail "TEK.DAT D:\\DRAW\\: item 3 did not write into D:\\DRAW"
printf 'work\nDRAW\\\n' >"$tmp/d/TEK.DAT"
cd "$tmp/d" || fail "cd"
lnx --keys '\r{shot sel-l.png}3\r\e' --size 640x480
[[ $st == 0 ]] || fail "Linux TEK.DAT DRAW\\: $st $err"
# {shot FILE} is a path of the start folder, as --screenshot is.
same_png "$tmp/start/sel.png" "$tmp/d/sel-l.png" || fail "TEK.DAT: the chosen drawing shows otherwise"
cmp -s "$tmp/d/DRAW/PLAN.SGB" "$tmp/l/PLAN.SGB" || fail "TEK.DAT: PLAN.SGB differs"
rm -f "$tmp/d/DRAW/PLAN.SGB"
win --keys '\r{shot rel.png}3\r\e' --size 640x480  # the relative folder, in the Windows program
[[ $st == 0 && -f $tmp/d/DRAW/PLAN.SGB ]] || fail "TEK.DAT DRAW\\ (relative): $st $err"
same_png "$tmp/d/rel.png" "$tmp/d/sel-l.png" || fail "TEK.DAT relative: the chosen drawing shows otherwise"
echo "drive form, TEK.DAT with D:\\DRAW\\ and DRAW\\: same as Linux"

# Scratch files in a folder nobody may write to: a private temporary folder instead, removed
# at the end; nothing is written in the folder.
mkdir -p "$tmp/ro"
cp "$src/samples/SPIRAL.UGF" "$tmp/ro/"
if chattr +i "$tmp/ro" 2>/dev/null; then
  cd "$tmp/ro" || fail "cd"
  before=$(ls -a)
  win --keys '{PgUp}' --screenshot "$tmp/ro-w.png" SPIRAL.UGF
  [[ $st == 0 ]] || fail "read-only folder: status $st $err"
  lnx --keys '{PgUp}' --screenshot "$tmp/ro-l.png" SPIRAL.UGF
  [[ $(ls -a) == "$before" ]] || fail "read-only folder: something was written: $(ls -a)"
  same_png "$tmp/ro-w.png" "$tmp/ro-l.png" || fail "read-only folder: the picture differs"
  left=$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -name 'ugfview-*' 2>/dev/null)
  [[ -z $left ]] || fail "read-only folder: private folders left: $left"
  chattr -i "$tmp/ro"
  echo "read-only folder: the scratch files went elsewhere"
else
  echo "note: this file system has no immutable folders; the read-only case was not run"
fi

# Bad drawings and names: the same report lines and codes.
cd "$tmp/w" || fail "cd"
printf 'label\r\n1 2 3\r\n4 x 5\r\n' >BAD.UGF
cp BAD.UGF "$tmp/l/BAD.UGF"
for args in "--headless NONE.UGF" "--headless nodir/NONE.UGF" "--headless BAD.UGF" "--ugf BAD.UGF BAD.UGF" \
            "--sgb O.SGB nodir/NONE.UGF" "--sgb nodir/O.SGB BAD.UGF" "--bogus" "--size 10x10"; do
  # shellcheck disable=SC2086
  win $args
  ws=$st werr=$err
  cd "$tmp/l" || fail "cd"
  # shellcheck disable=SC2086
  lnx $args
  cd "$tmp/w" || fail "cd"
  [[ $ws == "$st" ]] || fail "'$args': status $ws, Linux $st"
  [[ $werr == "$err" ]] || fail "'$args': report '$werr', Linux '$err'"
done
echo "bad drawings and options: the same reports and codes"
echo "PASS"
