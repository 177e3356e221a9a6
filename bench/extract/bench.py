"""The extractor benchmark's driver (bench/extract.sh runs it; see there for
the options). For each labelled folder (pages/ beside ground-truth.json, pages
plain or gzipped) it takes the pages of the chosen part, runs hotextract and
the peers on the same page bytes, scores every one with the data's own scorer
(score.py) with both tokenisers, and prints one table.

The peers read the page as hotextract decodes it (peer_decode.py). Their
results are cached per peer and page (keyed by the page's bytes and the
runner's and decoder's sources), so a second run only reruns ours.
"""
import argparse
import glob
import gzip
import hashlib
import json
import os
import re
import subprocess
import sys
import tempfile
from collections import Counter

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from peer_decode import decode  # noqa: E402

PEERS = (
    # name, label, command (the pages' paths follow), sources that change its results
    ('mozilla-readability', 'Mozilla Readability', ['node', os.path.join(HERE, 'mozilla_readability.js')],
     ['mozilla_readability.js', 'package.json']),
    ('readability-lxml', 'readability-lxml', ['/usr/bin/python3', os.path.join(HERE, 'readability_lxml.py')],
     ['readability_lxml.py']),
    ('defuddle', 'Defuddle', ['node', os.path.join(HERE, 'defuddle.mjs')], ['defuddle.mjs', 'package.json']),
)
PAGES_PER_RUN = 50  # a peer's results reach the cache every so many pages


def part_of(page_id):
    """TUNE when the first hex digit of md5(id) is 0-7, else HELD: the split
    the whole team tunes and reports by."""
    return 'tune' if hashlib.md5(page_id.encode('utf-8')).hexdigest()[0] in '01234567' else 'held'


def page_id_of(name):
    for suffix in ('.gz', '.html', '.htm'):
        if name.endswith(suffix):
            name = name[:-len(suffix)]
    return name


def find_scorer(folder, given):
    """score.py given, else the nearest one in the folder or above it."""
    if given:
        return given
    here = os.path.abspath(folder)
    for _ in range(4):
        candidate = os.path.join(here, 'score.py')
        if os.path.exists(candidate):
            return candidate
        here = os.path.dirname(here)
    sys.exit(f'no score.py in or above {folder}; give --scorer')


def digest_of_files(paths):
    h = hashlib.sha1()
    for p in paths:
        with open(p, 'rb') as f:
            h.update(f.read())
    return h.hexdigest()[:12]


class Set:
    """One labelled folder, reduced to the pages of one part."""

    def __init__(self, folder, part, work):
        self.folder = os.path.abspath(folder)
        self.name = os.path.basename(self.folder.rstrip('/'))
        with open(os.path.join(self.folder, 'ground-truth.json'), encoding='utf-8') as f:
            truth = json.load(f)
        files = {}
        for path in sorted(glob.glob(os.path.join(self.folder, 'pages', '*'))):
            files[page_id_of(os.path.basename(path))] = path
        self.missing = sorted(k for k in truth if k not in files)
        # The development pages were tuned on from the start: all of them are TUNE.
        everything_tune = self.name == 'dev'
        self.ids = sorted(k for k in truth if k in files and
                          (part == 'all' or (part == 'tune' if everything_tune else part_of(k) == part)))
        self.truth = {k: truth[k] for k in self.ids}
        # The page bytes every extractor reads (gzipped pages unpacked once).
        self.raw_dir = os.path.join(work, 'pages', self.name)
        self.text_dir = os.path.join(work, 'decoded', self.name)
        os.makedirs(self.raw_dir, exist_ok=True)
        os.makedirs(self.text_dir, exist_ok=True)
        self.raw, self.text, self.key = {}, {}, {}
        for k in self.ids:
            raw_path = os.path.join(self.raw_dir, k + '.html')
            opener = gzip.open if files[k].endswith('.gz') else open
            with opener(files[k], 'rb') as f:
                data = f.read()
            _write_if_changed(raw_path, data)
            text_path = os.path.join(self.text_dir, k + '.html')
            _write_if_changed(text_path, decode(data).encode('utf-8', 'surrogatepass'))
            self.raw[k], self.text[k] = raw_path, text_path
            self.key[k] = hashlib.sha1(data).hexdigest()
        self.kb = sum(os.path.getsize(p) for p in self.raw.values()) / 1024


def _write_if_changed(path, data):
    try:
        with open(path, 'rb') as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, 'wb') as f:
        f.write(data)


def run_lines(command, paths):
    """JSON lines of one run of an extractor over `paths`, by id."""
    out = subprocess.run(command + paths, capture_output=True, text=True)
    rows = {}
    for line in out.stdout.split('\n'):
        if line.strip():
            row = json.loads(line)
            rows[row['id']] = row
    if out.returncode != 0 and not rows:
        print(f'  {command[-1]}: {out.stderr.strip()[-300:]}', file=sys.stderr)
    return rows, out.stderr


def run_ours(hotextract, s):
    if not s.ids:
        return {}, 0.0
    rows, err = run_lines([hotextract, '--time'], [s.raw[k] for k in s.ids])
    m = re.search(r'^seconds ([\d.]+)', err, re.M)
    return rows, float(m.group(1)) if m else 0.0


def decoded_alike(hotextract, s):
    """How many of the set's pages hotextract and the peers read as the same
    characters, allowing a few for the bytes that are no character of the
    page's encoding (hotextract may pass them on where the peers read U+FFFD)
    but never a page of mojibake."""
    if not s.ids:
        return 0
    out = subprocess.run([hotextract, '--text'] + [s.raw[k] for k in s.ids], capture_output=True,
                         text=True, errors='replace').stdout
    ours = {}
    for line in out.split('\n'):
        if line.strip():
            row = json.loads(line)
            ours[row['id']] = row['text']
    alike = 0
    for k in s.ids:
        with open(s.text[k], encoding='utf-8', newline='') as f:
            theirs = f.read()
        a = Counter(ours.get(k, ''))
        # The peers' text as it is (a text layer that keeps every character),
        # or taken through GBK (one that shows "?" for what GBK lacks).
        for text in (theirs, theirs.encode('gbk', 'replace').decode('gbk')):
            b = Counter(text)
            if sum(((a - b) + (b - a)).values()) <= 16 + len(text) // 1000:
                alike += 1
                break
    return alike


def run_peer(peer, s, cache_root, verbose):
    """The peer's rows for the set's pages, from the cache where it has them."""
    name, _, command, sources = peer
    stamp = digest_of_files([os.path.join(HERE, p) for p in sources + ['peer_decode.py']])
    cache = os.path.join(cache_root, f'{name}-{stamp}')
    os.makedirs(cache, exist_ok=True)
    rows, todo = {}, []
    for k in s.ids:
        cached = os.path.join(cache, s.key[k] + '.json')
        if os.path.exists(cached):
            with open(cached, encoding='utf-8') as f:
                rows[k] = json.load(f)
        else:
            todo.append(k)
    for at in range(0, len(todo), PAGES_PER_RUN):
        chunk = todo[at:at + PAGES_PER_RUN]
        if verbose:
            print(f'  {name}: {s.name} pages {at + 1}-{at + len(chunk)} of {len(todo)} not yet cached',
                  file=sys.stderr)
        got, _ = run_lines(command, [s.text[k] for k in chunk])
        for k in chunk:
            row = got.get(k)
            if row is None:  # the runner died before this page: counted empty, not cached
                rows[k] = {'id': k, 'title': '', 'body': '', 'seconds': 0.0}
                continue
            rows[k] = row
            with open(os.path.join(cache, s.key[k] + '.json'), 'w', encoding='utf-8') as f:
                json.dump(row, f, ensure_ascii=False)
    return rows, sum(float(r.get('seconds', 0.0)) for r in rows.values())


def score(scorer, s, rows, tokens, work, show=0):
    """(precision, recall, F1) of the scorer's own line for these pages, and
    its lines for the `show` pages of least overlap."""
    with tempfile.TemporaryDirectory(dir=work) as tmp:
        truth = os.path.join(tmp, 'truth.json')
        pred = os.path.join(tmp, 'pred.jsonl')
        with open(truth, 'w', encoding='utf-8') as f:
            json.dump(s.truth, f, ensure_ascii=False)
        with open(pred, 'w', encoding='utf-8') as f:
            for k in s.ids:
                body = rows.get(k, {}).get('body', '')
                f.write(json.dumps({'id': k, 'body': body}, ensure_ascii=False) + '\n')
        lines = subprocess.run([sys.executable, scorer, truth, pred, '--tokens', tokens, '--show', str(show)],
                               capture_output=True, text=True, check=True).stdout.split('\n')
    m = re.search(r'precision ([\d.]+)\s+recall ([\d.]+)\s+F1 ([\d.]+)', lines[0])
    return m.groups() if show == 0 else [line for line in lines[1:] if line.strip()]


def own_tokens(s):
    """The tokeniser a set is judged by: cjk when a fifth of its labels'
    letters are Chinese characters, else words."""
    text = ''.join(v.get('articleBody', '') for v in s.truth.values())
    letters = sum(1 for ch in text if ch.isalnum())
    cjk = sum(1 for ch in text if '\u3400' <= ch <= '\u9fff' or '\uf900' <= ch <= '\ufaff')
    return 'cjk' if letters and cjk * 5 >= letters else 'words'


def print_table(s, part, results, scorer, work, alike, show):
    print(f'\n{s.name} ({part.upper()}): {len(s.ids)} pages, {s.kb:.0f} KB'
          + (f'; {len(s.missing)} labelled pages missing' if s.missing else '')
          + f'; {alike} of {len(s.ids)} read alike by ours and the peers')
    print(f'{"extractor":<22} {"cjk P":>6} {"R":>6} {"F1":>6}   {"words P":>7} {"R":>6} {"F1":>6}'
          f'   {"ms/page":>8} {"ms/100KB":>9}')
    for label, rows, seconds in results:
        if rows is None:
            print(f'{label:<22} (not installed)')
            continue
        c, w = score(scorer, s, rows, 'cjk', work), score(scorer, s, rows, 'words', work)
        n = max(1, len(s.ids))
        per_100kb = 1000 * seconds / (s.kb / 100) if s.kb else 0.0
        print(f'{label:<22} {c[0]:>6} {c[1]:>6} {c[2]:>6}   {w[0]:>7} {w[1]:>6} {w[2]:>6}'
              f'   {1000 * seconds / n:>8.2f} {per_100kb:>9.3f}')
    if show:
        tokens = own_tokens(s)
        print(f'hotarticles\' {show} pages of least overlap ({tokens}):')
        for line in score(scorer, s, results[0][1], tokens, work, show):
            print(line)
    sys.stdout.flush()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('folders', nargs='*')
    ap.add_argument('--part', choices=['tune', 'held', 'all'], default='all')
    ap.add_argument('--hotextract', required=True)
    ap.add_argument('--work', required=True)
    ap.add_argument('--cache', required=True)
    ap.add_argument('--scorer')
    ap.add_argument('--no-peers', action='store_true')
    ap.add_argument('--show', type=int, default=0, help='list ours\' N pages of least overlap')
    ap.add_argument('--save', help='folder to keep each extractor\'s JSON lines in, per set')
    a = ap.parse_args()
    for folder in a.folders:
        s = Set(folder, a.part, a.work)
        if not s.ids:
            print(f'\n{s.name} ({a.part.upper()}): no pages in this part')
            continue
        scorer = find_scorer(folder, a.scorer)
        ours, seconds = run_ours(a.hotextract, s)
        results = [('hotarticles', ours, seconds)]
        for peer in PEERS:
            if a.no_peers or not peer_available(peer):
                results.append((peer[1], None, 0.0))
            else:
                rows, peer_seconds = run_peer(peer, s, a.cache, verbose=True)
                results.append((peer[1], rows, peer_seconds))
        if a.save:
            os.makedirs(os.path.join(a.save, s.name), exist_ok=True)
            for label, rows, _ in results:
                if rows is None:
                    continue
                with open(os.path.join(a.save, s.name, label.replace(' ', '-') + '.jsonl'), 'w',
                          encoding='utf-8') as f:
                    for k in s.ids:
                        f.write(json.dumps(rows.get(k, {'id': k, 'body': ''}), ensure_ascii=False) + '\n')
        print_table(s, a.part, results, scorer, a.work, decoded_alike(a.hotextract, s), a.show)


def peer_available(peer):
    name = peer[0]
    if name == 'mozilla-readability':
        return all(os.path.isdir(os.path.join(HERE, 'node_modules', m)) for m in ('@mozilla/readability', 'jsdom'))
    if name == 'defuddle':
        return all(os.path.isdir(os.path.join(HERE, 'node_modules', m)) for m in ('defuddle', 'jsdom'))
    if name == 'readability-lxml':
        return subprocess.run(['/usr/bin/python3', '-c', 'import readability'], capture_output=True).returncode == 0
    return False


if __name__ == '__main__':
    main()
