"""Page decoding shared by the Python peer runner: a byte-order mark, else the
charset or encoding declared in the first 4 KB, else UTF-8, else GB18030."""
import codecs
import re

_DECLARED = re.compile(rb'(?:charset|encoding)\s*=\s*["\']?([A-Za-z0-9_-]+)', re.I)


def decode(raw):
    for bom, enc in ((codecs.BOM_UTF8, 'utf-8'), (codecs.BOM_UTF16_LE, 'utf-16-le'),
                     (codecs.BOM_UTF16_BE, 'utf-16-be')):
        if raw.startswith(bom):
            return raw[len(bom):].decode(enc, 'replace')
    m = _DECLARED.search(raw[:4096])
    if m:
        name = m.group(1).decode('ascii').lower()
        if name in ('gb2312', 'gbk'):
            name = 'gb18030'
        try:
            return raw.decode(name, 'replace')
        except LookupError:
            pass
    try:
        return raw.decode('utf-8')
    except UnicodeDecodeError:
        return raw.decode('gb18030', 'replace')
