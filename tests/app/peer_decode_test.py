#!/usr/bin/env python3
"""The extractor benchmark hands its peers the page decoded by
bench/extract/peer_decode.py; the comparison is only fair when that is the
text hotextract reads. Each page below is decoded by both (hotextract --text)
and must give the expected text, the same on both sides.

    peer_decode_test.py --exe build/native/app/hotextract [--results FILE]

Writes its result in the GoogleTest XML shape so ./test counts it.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
from xml.sax.saxutils import quoteattr

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, 'bench', 'extract'))
from peer_decode import decode  # noqa: E402

ZHONG_UTF8 = '中'.encode('utf-8')
ZHONG_GBK = '中'.encode('gbk')
LONG_UTF8 = ('中文正文' * 40).encode('utf-8')

# name, page bytes, the text both must read
CASES = [
    ('utf-8 byte-order mark', b'\xef\xbb\xbf<p>' + ZHONG_UTF8, '<p>中'),
    ('utf-16le byte-order mark', b'\xff\xfe' + '<p>中'.encode('utf-16-le'), '<p>中'),
    ('utf-16be byte-order mark', b'\xfe\xff' + '<p>中'.encode('utf-16-be'), '<p>中'),
    # Saved pages: UTF-8 bytes under the gb2312 tag they were served with.
    ('utf-8 under a gb2312 meta tag', b'<meta charset="gb2312"><p>' + LONG_UTF8,
     '<meta charset="gb2312"><p>' + '中文正文' * 40),
    ('utf-8 under an http-equiv gbk tag',
     b'<META http-equiv="Content-Type" content="text/html; charset=GBK"><p>' + ZHONG_UTF8 * 3,
     '<META http-equiv="Content-Type" content="text/html; charset=GBK"><p>中中中'),
    ('gbk as declared', b'<meta charset=gb2312><p>' + ZHONG_GBK * 3, '<meta charset=gb2312><p>中中中'),
    ('gbk undeclared', b'<p>' + ZHONG_GBK * 3, '<p>中中中'),
    ('big5 as declared', b'<meta charset="big5"><p>\xa4\xa4', '<meta charset="big5"><p>中'),
    ('archive wrapper names the encoding', b'<text id="x" encoding="gb2312">' + ZHONG_GBK,
     '<text id="x" encoding="gb2312">中'),
    ('xml declaration names the encoding', b'<?xml version="1.0" encoding="big5"?><p>\xa4\xa4',
     '<?xml version="1.0" encoding="big5"?><p>中'),
    # A script's charset speaks for the script; the page stays GBK.
    ('script charset ignored', b'<script charset="big5" src=a.js></script>' + ZHONG_GBK,
     '<script charset="big5" src=a.js></script>中'),
    ('charset in text ignored', b'<p>charset=big5 ' + ZHONG_GBK, '<p>charset=big5 中'),
    ('unknown charset name', b'<meta charset="x-unknown"><p>' + ZHONG_GBK, '<meta charset="x-unknown"><p>中'),
    ('declaration past the first 4 KB', b'<p>' + b' ' * 4096 + b'<meta charset=big5>' + ZHONG_GBK,
     '<p>' + ' ' * 4096 + '<meta charset=big5>中'),
    ('windows-1252 as declared', b'<meta charset=windows-1252><p>\x93q\x94',
     '<meta charset=windows-1252><p>\u201cq\u201d'),
    # One cut-off character among many good ones is still UTF-8; GBK text is not.
    ('cut-off utf-8 character', LONG_UTF8 + b'\xe4\xb8', '中文正文' * 40 + '?'),
    ('zero bytes dropped', b'a\0b' + ZHONG_UTF8, 'ab中'),
]


def run(exe):
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        paths = []
        for i, (_, page, _) in enumerate(CASES):
            path = os.path.join(tmp, 'case%02d.html' % i)
            with open(path, 'wb') as f:
                f.write(page)
            paths.append(path)
        out = subprocess.run([exe, '--text'] + paths, capture_output=True, check=True).stdout
        ours = {}
        for line in out.decode('utf-8').split('\n'):
            if line.strip():
                row = json.loads(line)
                ours[row['id']] = row['text']
        for i, (name, page, want) in enumerate(CASES):
            # A broken sequence is U+FFFD to the peers; the program's text shows
            # "?" where its character set lacks that character.
            got = ours.get('case%02d' % i, '').replace('\ufffd', '?')
            theirs = decode(page).replace('\ufffd', '?')
            if got != want or theirs != want:
                failures.append((name, 'hotextract %r, peers %r, expected %r' % (got, theirs, want)))
    return failures


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--exe', required=True)
    ap.add_argument('--results')
    a = ap.parse_args()
    failures = run(a.exe)
    for name, why in failures:
        print('FAILED %s: %s' % (name, why))
    print('%d cases, %d failed' % (len(CASES), len(failures)))
    if a.results:
        os.makedirs(os.path.dirname(a.results), exist_ok=True)
        with open(a.results, 'w', encoding='utf-8') as f:
            f.write('<testsuites tests="%d" failures="%d" disabled="0" errors="0" name="peer_decode">\n'
                    % (len(CASES), len(failures)))
            f.write('  <testsuite name="peer_decode" tests="%d" failures="%d" disabled="0" errors="0">\n'
                    % (len(CASES), len(failures)))
            failed = dict(failures)
            for name, _, _ in CASES:
                if name in failed:
                    f.write('    <testcase name=%s>\n      <failure message=%s/>\n    </testcase>\n'
                            % (quoteattr(name), quoteattr(failed[name])))
                else:
                    f.write('    <testcase name=%s/>\n' % quoteattr(name))
            f.write('  </testsuite>\n</testsuites>\n')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
