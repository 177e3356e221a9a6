#!/usr/bin/env bash
# Screenshots of the main window for the README, under Xvfb and Wine: wearing
# the embedded skin, and plain (a build configured with -DHOT_SKIN_ENGINE=OFF).
#
#   tools/screenshot-skin.sh [OUTPUT_DIR]     (default docs/)
#
# Builds only hotarticles, in $BUILD/win32 and $BUILD/win32-plain (HOT_BUILD
# and HOT_WINEPREFIX are honoured as by ./test).
set -euo pipefail
source "$(dirname "$0")/common.sh"
OUT=${1:-$ROOT/docs}
mkdir -p "$OUT"

build_exe() {
  local dir=$1
  shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" "$@" >/dev/null
  fi
  log "building hotarticles in $dir"
  cmake --build "$dir" --target hotarticles -j2 >"$dir/screenshot-build.log" 2>&1 ||
    { tail -20 "$dir/screenshot-build.log" >&2; exit 1; }
}

# Runs the program, waits for its 666 x 492 window, photographs it, ends it.
shoot() {
  local exe=$1 png=$2 pid i
  (cd "$(dirname "$exe")" && exec timeout 120 wine "$(basename "$exe")") >/dev/null 2>&1 &
  pid=$!
  for i in $(seq 150); do
    xwininfo -root -children 2>/dev/null | grep -q '666x492+50+50' && break
    sleep 0.2
  done
  sleep 2  # let it paint
  import -window root -crop 666x492+50+50 +repage "$png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 || true
  log "wrote $png"
}

build_exe "$BUILD/win32"
build_exe "$BUILD/win32-plain" -DHOT_SKIN_ENGINE=OFF
trap stop_display EXIT
start_display
ensure_wine_prefix
shoot "$BUILD/win32/app/hotarticles.exe" "$OUT/main-window-skinned.png"
shoot "$BUILD/win32-plain/app/hotarticles.exe" "$OUT/main-window-plain.png"
