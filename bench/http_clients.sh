#!/usr/bin/env bash
# The HTTP clients' benchmark: starts the loopback test server, times curl
# on a 20 MB body and 1 000 small pages, then runs bench_http_clients.exe
# under Wine on the same answers and prints both side by side.
#   bench/http_clients.sh [BUILD_DIR]   (default: $HOT_BUILD/win32 or build/win32)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/common.sh"
dir=${1:-$BUILD/win32}
exe="$dir/bench/bench_http_clients.exe"
[ -f "$exe" ] || { echo "build bench_http_clients first (cmake --build $dir --target bench_http_clients)" >&2; exit 1; }
start_display
trap stop_display EXIT
ensure_wine_prefix
"$root/tools/with-test-server" bash -c '
  set -e
  s=$HOT_TEST_SERVER
  curl -s -X POST --data-binary "{\"/big\": {\"body_size\": 20971520}, \"/small\": {\"body\": \"$(head -c 2000 /dev/zero | tr "\0" x)\"}}" "http://$s/__script" >/dev/null
  curl -s -o /dev/null "http://$s/big"   # the server builds the body once
  t0=$(date +%s.%N); curl -s -o /dev/null "http://$s/big"; t1=$(date +%s.%N)
  cfg=$(mktemp); for i in $(seq 1000); do echo "url = \"http://$s/small\""; echo "output = /dev/null"; done >"$cfg"
  # A new connection per page, as the clients open one per call.
  t2=$(date +%s.%N); curl -s -H "Connection: close" -K "$cfg"; t3=$(date +%s.%N)
  rm -f "$cfg"
  export HOT_BENCH_CURL_BIG=$(echo "$t1 - $t0" | bc -l) HOT_BENCH_CURL_SMALL=$(echo "$t3 - $t2" | bc -l)
  '"$root"'/tools/wine-run '"$exe"'
'
