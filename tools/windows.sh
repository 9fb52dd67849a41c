#!/usr/bin/env bash
# The Windows program, cross-built with MinGW-w64 and tested under wine.
#   tools/windows.sh build   installs what is missing, builds build-win/ugfview.exe and its tests
#   tools/windows.sh test    builds, then runs the Windows tests under wine (ctest in build-win)
#   tools/windows.sh zip     builds ugfview-<version>-win64.zip (exe, README, samples, TEK.DAT)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-win
cmd=${1:-build}

PACKAGES=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine fonts-wine locales
          libgtest-dev cmake zip unzip xvfb xdotool x11-utils imagemagick cups cups-filters
          ghostscript poppler-utils)

deps() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  # wine takes its ANSI (1251) and OEM (866) code pages from a Russian locale.
  if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
  fi
}

# GoogleTest from Debian's sources, built with the same toolchain.
gtest() {
  local prefix=$build/gtest
  [[ -f $prefix/lib/cmake/GTest/GTestConfig.cmake ]] && return
  cmake -S /usr/src/googletest -B "$build/gtest-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=OFF >/dev/null
  cmake --build "$build/gtest-build" -j2 >/dev/null
  cmake --install "$build/gtest-build" >/dev/null
}

build() {
  deps
  mkdir -p "$build"
  gtest
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DGTest_DIR="$build/gtest/lib/cmake/GTest" -DUGF_BENCH=OFF \
    -DUGF_LINUX_BUILD="$root/build" >/dev/null
  cmake --build "$build" -j2
}

# A wine prefix of the build's own, a persistent server, and no question boxes.
wine_env() {
  export WINEPREFIX=$build/wineprefix WINEDEBUG=-all,err+module LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
  export WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY WAYLAND_DISPLAY
  mkdir -p "$WINEPREFIX"
  wine_start
  if [[ ! -f $WINEPREFIX/.ugfview-ready ]]; then
    timeout 120 wineboot -i >/dev/null 2>&1 || true
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n' >"$build/ci.reg"
    timeout 60 wine regedit /S "$(winepath -w "$build/ci.reg" 2>/dev/null)" >/dev/null 2>&1
    # A crash ends with its own code at once, instead of a debugger that may answer 0.
    timeout 60 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
      /d nonexistent_dbg.exe /f >/dev/null 2>&1
    touch "$WINEPREFIX/.ugfview-ready"
  fi
}

# A persistent server (without it every wine process waits seconds for the server to go
# away), and wine's own services started here: started by a test, they would keep its output
# pipe open and ctest would wait for them.
wine_start() {
  # Fails when a server of this prefix already runs, which serves as well.
  wineserver -p 2>/dev/null || true
  timeout 60 wine cmd /c exit >/dev/null 2>&1 || true
}

wine_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

run_tests() {
  build
  # The Linux program is the reference of the comparisons.
  if [[ ! -x $root/build/ugfview ]]; then
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$root/build" -j2 --target ugfview
  fi
  wine_env
  local status=0
  ctest --test-dir "$build" -j2 --output-on-failure -LE x11 || status=$?
  # The real window gets a wine server of its own: the one above set up its desktop with no
  # display.
  # No warm-up here: it would set up the desktop without a display again. The window test
  # keeps no ctest pipe in its wine processes.
  wine_stop
  wineserver -p 2>/dev/null || true
  ctest --test-dir "$build" --output-on-failure -L x11 || status=$?
  wine_stop
  # The release zip unpacks and its program runs.
  make_zip >/dev/null || status=1
  local v out
  v=$(version)
  rm -rf "$build/unzipped"
  unzip -q "$root/ugfview-$v-win64.zip" -d "$build/unzipped" || status=1
  # Into a file: a pipe would be held open by the wine services this first process starts.
  timeout 60 wine "$build/unzipped/ugfview-$v-win64/ugfview.exe" --version >"$build/version.txt" 2>&1 || status=1
  out=$(tr -d '\r' <"$build/version.txt")
  if [[ $out == "ugfview $v" ]]; then
    echo "release zip: ugfview-$v-win64.zip unpacks and says '$out'"
  else
    echo "FAIL: the release zip's ugfview.exe --version said '$out'"
    status=1
  fi
  wine_stop
  return "$status"
}

version() { sed -n 's/^project(ugfview VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"; }

make_zip() {
  [[ -f $build/ugfview.exe ]] || build
  local v stage name
  v=$(version)
  name=ugfview-$v-win64
  stage=$build/zip/$name
  rm -rf "$build/zip"
  mkdir -p "$stage/samples"
  cp "$build/ugfview.exe" "$stage/"
  # Windows editors want CRLF.
  sed 's/$/\r/' "$root/README.md" >"$stage/README.txt"
  cp "$root"/samples/*.UGF "$stage/samples/"
  sed 's/$/\r/' "$root/samples/README.md" >"$stage/samples/README.txt"
  # Line 2 names the folder the file selector starts in.
  printf 'ugfview\r\nsamples\\\r\n' >"$stage/TEK.DAT"
  rm -f "$root/$name.zip"
  (cd "$build/zip" && zip -qr -X "$root/$name.zip" "$name")
  echo "$root/$name.zip"
}

case $cmd in
  build) build ;;
  test) run_tests ;;
  zip) build && make_zip ;;
  *) echo "usage: tools/windows.sh build|test|zip" >&2; exit 2 ;;
esac
