"""readability-lxml (Debian python3-readability) over pages: one JSON line per
page like ./run --extract, and the processor time spent extracting on stderr."""
import json
import os
import sys
import time

import lxml.html
from readability import Document

sys.path.insert(0, os.path.dirname(__file__))
from peer_decode import decode  # noqa: E402


def text_of(fragment):
    if not fragment.strip():
        return ''
    root = lxml.html.fromstring(fragment)
    for br in root.iter('br'):
        br.tail = '\n' + (br.tail or '')
    for el in root.iter('p', 'div', 'li', 'td', 'pre', 'h1', 'h2', 'h3', 'h4', 'h5', 'h6', 'blockquote'):
        el.tail = '\n' + (el.tail or '')
    return '\n'.join(line.strip() for line in root.text_content().splitlines() if line.strip())


spent = 0.0
for path in sys.argv[1:]:
    page = decode(open(path, 'rb').read())
    start = time.process_time()
    try:
        doc = Document(page)
        body = text_of(doc.summary(html_partial=True))
        title = doc.short_title()
    except Exception:  # a page the peer cannot read counts as empty
        body, title = '', ''
    spent += time.process_time() - start
    page_id = os.path.splitext(os.path.basename(path))[0]
    print(json.dumps({'id': page_id, 'title': title, 'body': body}, ensure_ascii=False))
print('seconds %.6f' % spent, file=sys.stderr)
