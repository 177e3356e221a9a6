# Shared by ./run and ./test: set-up that is done once and skipped after.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="${HOT_BUILD:-$ROOT/build}"
export WINEPREFIX="${HOT_WINEPREFIX:-$HOME/.local/share/hotarticles/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export LANG=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

HOT_PACKAGES=(cmake make g++ googletest clang libclang-rt-14-dev g++-mingw-w64-i686-posix
  wine wine32:i386 libgnutls30:i386 xvfb xauth fonts-wqy-microhei fonts-wine imagemagick openssl
  python3 x11-utils libpcre2-dev libssl-dev ccache nodejs)

log() { printf '== %s\n' "$*" >&2; }

# Installs the Debian packages that are missing (as root, or through sudo).
ensure_packages() {
  local missing=()
  local p
  for p in "${HOT_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

# The compile cache is shared by every checkout beside this one: paths under
# their common parent are hashed relative to it, so a second worktree or a
# fresh build directory reuses the objects already compiled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$ROOT")}"
export CCACHE_NOHASHDIR=1
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

# Configures (once) and builds one tree: native, win32 or fuzz.
build_tree() {
  local tree=$1
  local dir="$BUILD/$tree"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    case $tree in
      native) cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ;;
      win32) cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
               -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null ;;
      fuzz) CC=clang CXX=clang++ cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
              -DHOT_FUZZ=ON >/dev/null ;;
    esac
  fi
  log "building $tree"
  cmake --build "$dir" -j"$(nproc)" -- --no-print-directory >"$dir/build.log" 2>&1 || {
    grep -E 'error|Error' "$dir/build.log" | head -40 >&2
    return 1
  }
}

# Builds one target of a tree configured without sanitizers (optimised, for
# figures and for the extractor command): release_target DIR TARGET.
release_target() {
  local dir=$1 target=$2
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DHOT_SANITIZE=OFF >/dev/null
  fi
  cmake --build "$dir" --target "$target" -j"$(nproc)" -- --no-print-directory >"$dir/build.log" 2>&1 || {
    grep -E 'error|Error' "$dir/build.log" | head -40 >&2
    return 1
  }
}

# The extractor's command-line program (build/extract), as ./run --extract and
# the benchmarks use it.
build_extractor() { release_target "$BUILD/extract" hotextract; }

# Starts Xvfb (when there is no display) and one wineserver for this shell.
XVFB_PID=""
start_display() {
  # A signal ends the shell through its EXIT trap, so the display and the
  # wineserver never outlive a killed run.
  trap 'exit 130' INT
  trap 'exit 143' TERM
  if [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
  fi
  # One wineserver for the whole run keeps each wine start at a few ms.
  wineserver -p >/dev/null 2>&1 || true
}

stop_display() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}

# Creates the Wine prefix once: 32-bit, no window manager decorations delay,
# Chinese fonts in place of the Windows ones. Needs the display (see start_display).
ensure_wine_prefix() {
  if [ -f "$WINEPREFIX/.hotarticles-ready" ]; then
    install_wine_fonts
    install_test_ca
    # One start before the tests: wine processes that start together on a cold
    # wineserver can hang while the prefix is being checked.
    timeout 60 wine cmd /c exit >/dev/null 2>&1
    return 0
  fi
  log "creating the Wine prefix at $WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  local f
  for f in '微软雅黑' 'Microsoft YaHei' 'Tahoma' 'SimSun' '宋体' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$f" /t REG_SZ \
      /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  done
  install_wine_fonts
  install_test_ca
  wineserver -w
  touch "$WINEPREFIX/.hotarticles-ready"
}

# The loopback servers' test CA (tools/test_ca.py), made once per prefix in
# $HOT_TEST_CA and trusted in the prefix's current-user Root store, as a
# user's Windows trusts the real roots: the programs check certificates
# against the loopback servers as they do against real sites.
export HOT_TEST_CA="${HOT_TEST_CA:-$WINEPREFIX/hotarticles-test-ca}"
install_test_ca() {
  local reg
  reg=$(python3 "$ROOT/tools/test_ca.py" "$HOT_TEST_CA") || { log "could not make the test CA"; return 1; }
  cmp -s "$reg" "$HOT_TEST_CA/installed.reg" && return 0
  log "trusting the test CA in $WINEPREFIX"
  wine reg import "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 || { log "could not import the test CA"; return 1; }
  cp "$reg" "$HOT_TEST_CA/installed.reg"
}

# Wine draws the title bar's buttons and the scroll arrows with Marlett; this
# Wine finds it only in the prefix's Fonts folder, and without it they show
# as "0 1 r". Copied for prefixes made before fonts-wine was installed too.
install_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -f "$fonts/marlett.ttf" ] && return 0
  [ -f /usr/share/wine/fonts/marlett.ttf ] || return 0
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
}
