"""readability-lxml (Debian python3-readability) over pages already decoded to
UTF-8 by the benchmark (peer_decode.py): one JSON line per page,
{"id", "title", "body", "seconds"}, seconds being the processor time spent
parsing and extracting that page."""
import json
import os
import sys
import time

import lxml.html
from readability import Document


def text_of(fragment):
    if not fragment.strip():
        return ''
    root = lxml.html.fromstring(fragment)
    for br in root.iter('br'):
        br.tail = '\n' + (br.tail or '')
    for el in root.iter('p', 'div', 'li', 'td', 'pre', 'h1', 'h2', 'h3', 'h4', 'h5', 'h6', 'blockquote'):
        el.tail = '\n' + (el.tail or '')
    return '\n'.join(line.strip() for line in root.text_content().splitlines() if line.strip())


for path in sys.argv[1:]:
    with open(path, encoding='utf-8', newline='') as f:
        page = f.read()
    start = time.process_time()
    try:
        doc = Document(page)
        body = text_of(doc.summary(html_partial=True))
        title = doc.short_title()
    except Exception:  # a page the peer cannot read counts as empty
        body, title = '', ''
    spent = time.process_time() - start
    page_id = os.path.basename(path).split('.')[0]
    print(json.dumps({'id': page_id, 'title': title, 'body': body, 'seconds': spent}, ensure_ascii=False),
          flush=True)
