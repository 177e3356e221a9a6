#!/usr/bin/env bash
# A screenshot of the main window in the middle of a pass, for the README.
# The program runs the current profile with --auto beside a settings.ini that
# holds only a proxy: the loopback test server's proxy stands in for today's
# sites under their real names (tools/demo_site.py's pages). The first keyword
# gets its article; the search for the second is answered only after a
# minute, so the pass is held there, its progress in the caption, while the
# picture is taken. Then the program is ended.
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
cleanup() {
  stop_display
  rm -rf "$work"
}
trap cleanup EXIT
cp "$dir/app/hotarticles.exe" "$work/"

start_display
ensure_wine_prefix

export WORK="$work" OUT ROOT
"$ROOT/tools/with-test-server" bash -c '
set -euo pipefail
python3 - <<PY
import json, os, sys, urllib.request
sys.path.insert(0, os.path.join(os.environ["ROOT"], "tools"))
import demo_site as site
words = ["嫦娥七号成功着陆月球南极", "全国冬季运动会开幕", "新能源汽车销量创新高", "多地迎来今冬初雪",
         "高铁新线开通运营", "博物馆推出夜场", "科学家发现新物种"]
article = "https://www.sohu.com/a/500101_120"
page = site.article_today(words[0], "<p>12月6日20时，嫦娥七号着陆器在月球南极成功着陆。</p>\n"
                          "<p>着陆器携带的科学载荷将陆续开机，开展月表环境与水冰勘查。</p>\n")
held = dict(site.utf8_page(site.bing_no_result_page()), delay=60)
script = {
    "www.baidu.com/": {"headers": [["Date", site.SERVER_DATE]]},
    "top.baidu.com" + site.BOARD_TARGET: site.answer(
        site.board_json(words, "春运火车票今日开售").encode("utf-8"), "application/json"),
    "cn.bing.com" + site.bing_target(words[0], "www.sohu.com"): site.utf8_page(
        site.bing_result_page(words[0], site.bing_link(article), words[0])),
    "cn.bing.com" + site.bing_target(words[1], "www.sohu.com"): held,
    "www.sohu.com/a/500101_120": site.utf8_page(page),
}
service, gate = site.visitor_answers(0)
script["passport.weibo.com" + site.VISITOR_TARGET] = service
script["s.weibo.com" + site.SUMMARY_TARGET] = dict(site.utf8_page(site.summary_page(
    site.SUMMARY_PINNED, site.SUMMARY_KEYWORDS_HTML, site.SUMMARY_AD)), visitor_gate=gate)
req = urllib.request.Request("http://%s/__script" % os.environ["HOT_TEST_SERVER"],
                             data=json.dumps(script).encode(), method="POST")
urllib.request.urlopen(req).read()
PY
printf "[network]\r\nproxy=%s\r\n" "$HOT_TEST_PROXY" >"$WORK/settings.ini"
(cd "$WORK" && exec timeout 120 wine hotarticles.exe --auto --profile=current --title=original) >/dev/null 2>&1 &
pid=$!
for i in $(seq 150); do
  xwininfo -root -children 2>/dev/null | grep -q "666x492+50+50" && break
  sleep 0.2
done
# The first article saved and the second search under way.
for i in $(seq 100); do
  [ -d "$WORK/采集文章" ] && [ -n "$(find "$WORK/采集文章" -name "*.txt")" ] && break
  sleep 0.2
done
sleep 2
import -window root -crop 666x492+50+50 +repage "$OUT"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true
'
log "wrote $OUT"
