#!/usr/bin/env bash
# The Debian package: cpack builds it, its Depends come from the program's libraries, it
# unpacks into a temporary root with a working program, lintian finds no error, and apt
# could install it on a system that has nothing yet.
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
if ! command -v dpkg-shlibdeps >/dev/null; then
  echo "skipped: dpkg-dev is not installed (tools/deps.sh installs it)"
  exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$tmp" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" || fail "cpack: $(cat "$tmp/cpack.log")"
deb=$tmp/ugfview_${version}_amd64.deb
[[ -f $deb ]] || fail "no $deb: $(ls "$tmp")"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libsdl2-2.0-0 libcairo2 libcups2; do
  [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done
echo "ok: Depends: $depends"

dpkg -x "$deb" "$tmp/root"
[[ $("$tmp/root/usr/bin/ugfview" --version) == "ugfview $version" ]] || fail "installed --version"
[[ -f $tmp/root/usr/share/man/man1/ugfview.1.gz ]] || fail "manual page not compressed"
echo "ok: unpacked program answers --version"

if command -v lintian >/dev/null; then
  lintian "$deb" >"$tmp/lintian.txt" 2>&1 || true
  ! grep '^E:' "$tmp/lintian.txt" || fail "lintian errors"
  echo "ok: lintian: $(grep -c '^[WE]:' "$tmp/lintian.txt") warnings"
else
  echo "lintian not installed: not run"
fi
# apt resolves the package against an empty system from the configured archives.
if compgen -G '/var/lib/apt/lists/*Packages*' >/dev/null; then
  : >"$tmp/status"
  apt-get install -s -o Dir::State::status="$tmp/status" "$deb" >"$tmp/apt.txt" 2>&1 ||
    fail "apt-get -s: $(tail -5 "$tmp/apt.txt")"
  grep -q '^Inst ugfview ' "$tmp/apt.txt" || fail "apt-get -s does not install ugfview"
  echo "ok: apt-get resolves it on an empty system"
else
  echo "no apt lists: apt resolution not tried"
fi
