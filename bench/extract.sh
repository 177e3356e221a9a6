#!/usr/bin/env bash
# The general extractor beside Mozilla Readability (npm, with jsdom) and
# readability-lxml (Debian python3-readability) on the labelled pages: the
# scorer's precision, recall and F1 with both tokenisers, and each one's
# processor time per page and per 100 KB, extraction and text only, not
# reading or decoding (ours: the optimised build without sanitizers). The
# peers are installed here when missing; one that cannot be installed is left
# out of the table.
#   bench/extract.sh [EVAL_DIR]     (default ../shared/extract-eval beside the checkout)
set -euo pipefail
source "$(dirname "$0")/../tools/common.sh"
EVAL=$(cd "${1:-$ROOT/../shared/extract-eval}" && pwd)
PEERS="$ROOT/bench/extract"
OUT="$BUILD/extract-bench"
mkdir -p "$OUT"

ensure_packages
build_extractor

# Peers, installed once.
if ! dpkg-query -W -f='${Status}' python3-readability 2>/dev/null | grep -q 'install ok installed'; then
  log "installing python3-readability"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -q >/dev/null || true
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends python3-readability >/dev/null ||
    log "python3-readability could not be installed"
fi
if [ ! -d "$PEERS/node_modules/@mozilla/readability" ] || [ ! -d "$PEERS/node_modules/jsdom" ]; then
  log "installing @mozilla/readability and jsdom"
  (cd "$PEERS" && npm install --no-audit --no-fund --loglevel=error >/dev/null) ||
    log "the npm peers could not be installed"
fi

pages=("$EVAL"/dev/pages/*)
run() {  # name command...: JSON lines to $OUT/name.jsonl, seconds to $OUT/name.seconds
  local name=$1
  shift
  if "$@" "${pages[@]}" >"$OUT/$name.jsonl" 2>"$OUT/$name.err"; then
    sed -n 's/^seconds //p' "$OUT/$name.err" | tail -1 >"$OUT/$name.seconds"
  else
    log "$name failed: $(tail -1 "$OUT/$name.err")"
    rm -f "$OUT/$name.jsonl"
  fi
}
run ours "$BUILD/extract/app/hotextract" --time
# Debian's Python, where its packages are, not whichever python3 is first on PATH.
if /usr/bin/python3 -c 'import readability' 2>/dev/null; then
  run readability-lxml /usr/bin/python3 "$PEERS/readability_lxml.py"
fi
if [ -d "$PEERS/node_modules/@mozilla/readability" ]; then
  run mozilla-readability node "$PEERS/mozilla_readability.js"
fi

python3 - "$EVAL" "$OUT" "${pages[@]}" <<'PY'
import os, re, subprocess, sys
eval_dir, out = sys.argv[1], sys.argv[2]
pages = sys.argv[3:]
kb = sum(os.path.getsize(p) for p in pages) / 1024
def score(name, tokens):
    line = subprocess.run([sys.executable, os.path.join(eval_dir, 'score.py'),
                           os.path.join(eval_dir, 'dev/ground-truth.json'),
                           os.path.join(out, name + '.jsonl'), '--tokens', tokens, '--show', '0'],
                          capture_output=True, text=True, check=True).stdout
    m = re.search(r'precision ([\d.]+)\s+recall ([\d.]+)\s+F1 ([\d.]+)', line)
    return m.groups()
print(f'{len(pages)} pages, {kb:.0f} KB')
print(f'{"extractor":<22} {"cjk P":>6} {"R":>6} {"F1":>6}   {"words P":>7} {"R":>6} {"F1":>6}   {"ms/page":>8} {"ms/100KB":>9}')
for name, label in (('ours', 'hotarticles'), ('mozilla-readability', 'Mozilla Readability'),
                    ('readability-lxml', 'readability-lxml')):
    if not os.path.exists(os.path.join(out, name + '.jsonl')):
        print(f'{label:<22} (not installed)')
        continue
    c, w = score(name, 'cjk'), score(name, 'words')
    seconds = float(open(os.path.join(out, name + '.seconds')).read() or 0)
    print(f'{label:<22} {c[0]:>6} {c[1]:>6} {c[2]:>6}   {w[0]:>7} {w[1]:>6} {w[2]:>6}'
          f'   {1000 * seconds / len(pages):>8.2f} {1000 * seconds / (kb / 100):>9.3f}')
PY
