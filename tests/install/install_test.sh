#!/usr/bin/env bash
# cmake --install into a temporary prefix: every installed file, the desktop entry and MIME
# package as their validators see them, the MIME type of drawings, the manual page, and the
# thumbnailer's command line run as a file manager runs it.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 src=$2 version=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
p=$tmp/prefix
cmake --install "$build" --prefix "$p" >/dev/null

for f in bin/ugfview share/man/man1/ugfview.1 share/applications/ugfview.desktop \
         share/mime/packages/ugfview.xml share/icons/hicolor/scalable/apps/ugfview.svg \
         share/thumbnailers/ugfview.thumbnailer share/doc/ugfview/README.md; do
  [[ -s $p/$f ]] || fail "$f not installed"
done
for s in "$src"/samples/*; do
  cmp -s "$s" "$p/share/doc/ugfview/samples/${s##*/}" || fail "sample ${s##*/} not installed"
done
[[ -x $p/bin/ugfview ]] || fail "bin/ugfview is not executable"
[[ $("$p/bin/ugfview" --version) == "ugfview $version" ]] || fail "--version: $("$p/bin/ugfview" --version)"
echo "ok: files"

desktop-file-validate "$p/share/applications/ugfview.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=ugfview %f' "$p/share/applications/ugfview.desktop" || fail "Exec line"
xmllint --noout "$p/share/mime/packages/ugfview.xml" "$p/share/icons/hicolor/scalable/apps/ugfview.svg" ||
  fail "xmllint"
echo "ok: validators"

# Every option of --help is in the manual page, which man renders.
page=$(MANWIDTH=100 man -l "$p/share/man/man1/ugfview.1" 2>"$tmp/man.err")
[[ ! -s $tmp/man.err ]] || fail "man: $(cat "$tmp/man.err")"
for opt in $("$p/bin/ugfview" --help | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "$opt" <<<"$page" || fail "manual page lacks $opt"
done
echo "ok: manual page"

# The MIME database built from the package alone knows drawings by name in any case, and by
# their label line without one.
update-mime-database "$p/share/mime"
mkdir "$tmp/files"
cp "$src/samples/PART.UGF" "$tmp/files/PART.UGF"
cp "$src/samples/PART.UGF" "$tmp/files/part.ugf"
cp "$src/samples/PLAN.UGF" "$tmp/files/drawing"
for f in PART.UGF part.ugf drawing; do
  type=$(XDG_DATA_HOME=$p/share XDG_DATA_DIRS=$p/share:/usr/share gio info -a standard::content-type \
         "$tmp/files/$f" | sed -n 's/.*standard::content-type: //p')
  [[ $type == application/x-ugf-drawing ]] || fail "$f is $type"
done
echo "ok: MIME type"

# The thumbnailer as a file manager calls it: %i input path, %o output, %s size.
exec_line=$(sed -n 's/^Exec=//p' "$p/share/thumbnailers/ugfview.thumbnailer")
cmd=${exec_line//%i/$tmp/files/part.ugf}
cmd=${cmd//%o/$tmp/thumb.png}
cmd=${cmd//%s/256}
(cd / && PATH=$p/bin:$PATH && $cmd) || fail "thumbnailer: $cmd"
read -r w h < <(python3 -c 'import struct,sys; print(*struct.unpack(">II", open(sys.argv[1],"rb").read()[16:24]))' "$tmp/thumb.png")
((w == 256 && h > 16 && h < 256)) || fail "thumbnail ${w}x$h, want 256 wide and less high"
echo "ok: thumbnailer ($w x $h)"
