#!/usr/bin/env bash
# The article pipeline benchmark natively and under Wine (against the
# loopback test server), one after the other for a side-by-side reading.
#   bench/pipeline.sh [--pages N] [--kb K]
set -euo pipefail
source "$(dirname "$0")/../tools/common.sh"
build_tree native
build_tree win32
echo "== native (g++, sanitizers on)"
"$BUILD/native/bench/bench_pipeline" "$@"
trap stop_display EXIT
start_display
ensure_wine_prefix
echo "== Windows build under Wine"
timeout 1200 "$ROOT/tools/with-test-server" "$ROOT/tools/wine-run" "$BUILD/win32/bench/bench_pipeline.exe" "$@"
