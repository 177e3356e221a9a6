#!/usr/bin/env bash
# A screenshot of the main window in the middle of a pass, for the README.
# The program runs with --auto beside a settings.ini that points it at the
# loopback test server, which serves a date and a hot list (the hot-search
# host refuses); the search goes
# to a port that accepts and never answers, so the pass stays on its first
# keyword while the picture is taken. Then the program is ended.
#
#   tools/screenshot.sh [OUTPUT.png]     (default docs/main-window-pass.png)
#
# Builds only hotarticles in $BUILD/win32 (HOT_BUILD and HOT_WINEPREFIX are
# honoured as by ./test).
set -euo pipefail
source "$(dirname "$0")/common.sh"
OUT=${1:-$ROOT/docs/main-window-pass.png}
mkdir -p "$(dirname "$OUT")"

dir="$BUILD/win32"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
fi
log "building hotarticles in $dir"
cmake --build "$dir" --target hotarticles -j2 >"$dir/screenshot-build.log" 2>&1 ||
  { tail -20 "$dir/screenshot-build.log" >&2; exit 1; }

work=$(mktemp -d)
silent_pid=""
cleanup() {
  [ -n "$silent_pid" ] && kill "$silent_pid" 2>/dev/null
  stop_display
  rm -rf "$work"
}
trap cleanup EXIT
cp "$dir/app/hotarticles.exe" "$work/"

# A port that takes connections and never says a word.
python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(16)
print(s.getsockname()[1], flush=True)
held = []
while True:
    c, _ = s.accept(); held.append(c)
' >"$work/silent-port" &
silent_pid=$!
for _ in $(seq 50); do [ -s "$work/silent-port" ] && break; sleep 0.1; done
silent=$(cat "$work/silent-port")

start_display
ensure_wine_prefix

export WORK="$work" SILENT="$silent" OUT
"$ROOT/tools/with-test-server" bash -c '
set -euo pipefail
python3 - <<PY
import base64, json, os, urllib.request
server = os.environ["HOT_TEST_SERVER"]
words = ["神舟飞船顺利返回", "全国冬季运动会开幕", "新能源汽车销量创新高", "多地迎来今冬初雪",
         "高铁新线开通运营", "博物馆推出夜场", "科学家发现新物种", "城市马拉松鸣枪开跑"]
rows = "".join("<tr><td class=\"keyword\"><a class=\"list-title\" target=\"_blank\" "
               "href_top=\"./detail?b=1&w=%d\">%s</a></td></tr>\r\n" % (i, w) for i, w in enumerate(words))
page = ("<html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=gb2312\">"
        "</head><body><table>\r\n" + rows + "</table></body></html>").encode("gbk")
script = {
    "/": {"headers": [["Date", "Sun, 06 Dec 2026 13:02:13 GMT"]]},
    "/buzz": {"headers": [["Content-Type", "text/html"]], "body_b64": base64.b64encode(page).decode()},
}
req = urllib.request.Request("http://%s/__script" % server, data=json.dumps(script).encode(), method="POST")
urllib.request.urlopen(req).read()
PY
printf "[hosts]\r\ndate=%s\r\nhotlist=%s\r\nhotsearch=127.0.0.1:1\r\nsearch=127.0.0.1:%s\r\n" \
  "$HOT_TEST_SERVER" "$HOT_TEST_SERVER" "$SILENT" >"$WORK/settings.ini"
(cd "$WORK" && exec timeout 120 wine hotarticles.exe --auto --dedupe --encoding=utf8) >/dev/null 2>&1 &
pid=$!
for i in $(seq 150); do
  xwininfo -root -children 2>/dev/null | grep -q "666x492+50+50" && break
  sleep 0.2
done
sleep 4  # the date, the hot list and the first search under way
import -window root -crop 666x492+50+50 +repage "$OUT"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true
'
log "wrote $OUT"
