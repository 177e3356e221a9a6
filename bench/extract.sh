#!/usr/bin/env bash
# The general extractor beside Mozilla Readability and Defuddle (npm, with
# jsdom) and readability-lxml (Debian python3-readability) on labelled pages: the data's
# own scorer's precision, recall and F1 with both tokenisers (cjk: every
# Chinese character a token; words: runs of word characters), and each one's
# processor time per page and per 100 KB of page, extraction only (ours: the
# optimised build without sanitizers, extracting and cleaning; the peers:
# parsing and extracting), all on the same page bytes.
#
#   bench/extract.sh [--part tune|held|all] [--no-peers] [--show N] [--save DIR] [FOLDER...]
#   bench/extract.sh --all-sets [--part ...]
#
# FOLDER is a labelled folder: pages/ (NAME.html or NAME.html.gz, the page id
# being NAME) beside ground-truth.json; the default is dev/ of the labelled
# data (../shared/extract-eval beside the checkout, or $HOT_EXTRACT_EVAL).
# --all-sets runs dev/ and every folder under sets/, one table each.
# --part picks the pages by the team's fixed split: TUNE when the first hex
# digit of md5(page id) is 0-7, else HELD (dev/ is all TUNE); tune rules on
# TUNE, quote HELD.
# --show N lists ours' N pages of least overlap under each table (by the
# set's own tokeniser: cjk for Chinese labels, words for English ones).
# --save DIR keeps every extractor's JSON lines per set, for reading the
# pages one loses.
#
# The peers are handed the page decoded by hotextract's own rule
# (bench/extract/peer_decode.py): a byte-order mark, else bytes that read as
# UTF-8, else a declared charset, else GB18030. They are installed here when
# missing (one that cannot be installed is left out of the table), and their
# results are cached per peer and page under ~/.cache/hotarticles/extract-peers
# (shared by every checkout; a change to a runner or to the decoder starts a
# new cache), so only the first run of a set is slow.
set -euo pipefail
source "$(dirname "$0")/../tools/common.sh"

EVAL="${HOT_EXTRACT_EVAL:-$ROOT/../shared/extract-eval}"
PART=all
ALL_SETS=0
ARGS=()
FOLDERS=()
while [ $# -gt 0 ]; do
  case $1 in
    --part) PART=$2; shift 2 ;;
    --all-sets) ALL_SETS=1; shift ;;
    --no-peers) ARGS+=(--no-peers); shift ;;
    --save) ARGS+=(--save "$2"); shift 2 ;;
    --show) ARGS+=(--show "$2"); shift 2 ;;
    -h|--help) sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) FOLDERS+=("$1"); shift ;;
  esac
done
if [ "$ALL_SETS" = 1 ]; then
  FOLDERS+=("$EVAL/dev")
  for d in "$EVAL"/sets/*/; do FOLDERS+=("${d%/}"); done
fi
[ ${#FOLDERS[@]} -gt 0 ] || FOLDERS=("$EVAL/dev")
for f in "${FOLDERS[@]}"; do
  [ -f "$f/ground-truth.json" ] && [ -d "$f/pages" ] || { echo "$f: no pages/ and ground-truth.json" >&2; exit 2; }
done

PEERS="$ROOT/bench/extract"
OUT="$BUILD/extract-bench"
CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/hotarticles/extract-peers"
mkdir -p "$OUT" "$CACHE"

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
if [ ! -d "$PEERS/node_modules/@mozilla/readability" ] || [ ! -d "$PEERS/node_modules/jsdom" ] ||
   [ ! -d "$PEERS/node_modules/defuddle" ]; then
  log "installing @mozilla/readability, defuddle and jsdom"
  (cd "$PEERS" && npm install --no-audit --no-fund --loglevel=error >/dev/null) ||
    log "the npm peers could not be installed"
fi

nice python3 "$PEERS/bench.py" --part "$PART" --hotextract "$BUILD/extract/app/hotextract" \
  --work "$OUT" --cache "$CACHE" "${ARGS[@]}" "${FOLDERS[@]}"
