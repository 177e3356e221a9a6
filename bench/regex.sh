#!/usr/bin/env bash
# The regex benchmark from a tree built without sanitizers: our engine, PCRE2
# (JIT in byte mode and in UTF-8 mode without its UTF check, interpreted) and
# std::regex on the cleaning pipeline, interleaved over rounds.
#   bench/regex.sh [--rounds N] [--sizes 100k,1m,8m]
#   bench/regex.sh --callgrind [--sizes 100k,1m,8m]
#     instructions per step (ours and PCRE2-JIT, one pipeline each, under
#     callgrind): a steady figure on a loaded machine, beside the timings.
set -euo pipefail
source "$(dirname "$0")/../tools/common.sh"
ensure_packages
command -v valgrind >/dev/null || { HOT_PACKAGES=(valgrind); ensure_packages; }
dir="$BUILD/bench"
release_target "$dir" bench_regex
bench="$dir/bench/bench_regex"
if [ "${1:-}" != "--callgrind" ]; then
  exec "$bench" "$@"
fi
shift
sizes=100k,1m,8m
[ "${1:-}" = "--sizes" ] && sizes=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for engine in ours jit; do
  for size in ${sizes//,/ }; do
    valgrind --tool=callgrind --callgrind-out-file="$out/$engine.$size" "$bench" --one "$engine" --sizes "$size" \
      >/dev/null 2>&1
  done
done
# Each dump holds its step's name (the trigger) and its instruction total.
python3 - "$out" "$sizes" <<'PY'
import glob, os, re, sys
out, sizes = sys.argv[1], sys.argv[2].split(',')
def steps(engine, size):
    found = {}
    for f in sorted(glob.glob(f'{out}/{engine}.{size}.*'), key=lambda f: int(f.rsplit('.', 1)[1])):
        text = open(f).read()
        name = re.search(r'^desc: Trigger: Client Request: (.*)$', text, re.M).group(1)
        found[name] = int(re.search(r'^totals: (\d+)', text, re.M).group(1))
    return found
rows = {}
order = []
for size in sizes:
    ours, jit = steps('ours', size), steps('jit', size)
    for name in ours:
        if name not in order: order.append(name)
        rows.setdefault(name, {})[size] = (ours[name], jit.get(name))
print('instructions per step, ours / PCRE2-JIT (their count over ours: above 1, ours runs fewer)')
print('%-16s' % 'step' + ''.join('%32s' % s for s in sizes))
for name in order:
    cells = []
    for size in sizes:
        o, j = rows[name].get(size, (None, None))
        cells.append('%32s' % (f'{o/1e6:.2f}M / {j/1e6:.2f}M = {j/o:.2f}' if o and j else '-'))
    print('%-16s' % name + ''.join(cells))
PY
