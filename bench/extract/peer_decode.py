"""Page decoding for the benchmark's peers, by the same rule hotextract reads a
saved page with (app/page_file.cpp), so that every extractor sees the same
characters:

  1. a byte-order mark (UTF-8, UTF-16LE, UTF-16BE);
  2. bytes that read as UTF-8 are UTF-8, whatever the page declares: saved
     pages keep an older gb2312 meta tag but are stored in UTF-8 (a few broken
     sequences among fifty good ones still count as UTF-8);
  3. the charset or encoding named by a meta tag, an XML declaration or the
     archive's <text encoding=...> wrapper in the first 4 KB, when it is a
     name hotextract knows (a script's charset attribute does not count);
  4. else UTF-8 when the bytes read as UTF-8, else GB18030 (hotextract: GBK).

Zero characters are dropped, as hotextract drops them. Where hotextract turns
a character outside GBK into "?", the peers keep it: its text layer is what
loses it, not the reading of the page.
"""
import codecs

DECLARATION_WINDOW = 4096
UTF8_VALID_PER_INVALID = 50

# Charset names as pages write them (ASCII case ignored) and the codec each is
# read with; the same names hotextract knows, nothing more. GBK and its
# aliases read as GB18030, the superset.
_CODEC_OF_NAME = {}
for _codec, _names in (
        ('utf-8', 'utf-8 utf8 unicode-1-1-utf-8'),
        ('utf-16-le', 'utf-16 utf-16le unicode ucs-2'),
        ('utf-16-be', 'utf-16be'),
        ('gb18030', 'gbk gb2312 gb18030 x-gbk cp936 windows-936 euc-cn csgb2312 chinese'),
        ('big5', 'big5 big5-hkscs cn-big5 x-x-big5 csbig5 cp950'),
        ('cp932', 'shift_jis shift-jis sjis x-sjis ms_kanji windows-31j cp932 csshiftjis'),
        ('cp949', 'euc-kr ks_c_5601-1987 cp949 windows-949 korean'),
        ('euc_jp', 'euc-jp x-euc-jp'),
        ('koi8_r', 'koi8-r'), ('koi8_u', 'koi8-u'),
        ('ascii', 'us-ascii ascii'),
        ('latin_1', 'iso-8859-1 latin1 iso8859-1 iso_8859-1'),
        ('iso8859_2', 'iso-8859-2'), ('iso8859_3', 'iso-8859-3'), ('iso8859_4', 'iso-8859-4'),
        ('iso8859_5', 'iso-8859-5'), ('iso8859_6', 'iso-8859-6'), ('iso8859_7', 'iso-8859-7'),
        ('iso8859_8', 'iso-8859-8'), ('iso8859_9', 'iso-8859-9'), ('iso8859_10', 'iso-8859-10'),
        ('iso8859_11', 'iso-8859-11'), ('iso8859_13', 'iso-8859-13'), ('iso8859_14', 'iso-8859-14'),
        ('iso8859_15', 'iso-8859-15 latin-9'),
        ('cp1250', 'windows-1250 cp1250'), ('cp1251', 'windows-1251 cp1251'),
        ('cp1252', 'windows-1252 cp1252'), ('cp1253', 'windows-1253'), ('cp1254', 'windows-1254'),
        ('cp1255', 'windows-1255'), ('cp1256', 'windows-1256'), ('cp1257', 'windows-1257'),
        ('cp1258', 'windows-1258')):
    for _name in _names.split():
        _CODEC_OF_NAME[_name] = _codec

_NAME_CHARS = frozenset(b'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_')


def _in_declaring_tag(window, at):
    """True when the tag around `at` declares the page's encoding: a meta tag,
    an XML declaration or the archive wrapper (the tag name is read up to a
    space, at most five bytes, as hotextract reads it)."""
    opening = window.rfind(b'<', 0, at + 1)
    if opening < 0:
        return False
    close = window.find(b'>', opening)
    if 0 <= close < at:
        return False
    tag = bytearray()
    i = opening + 1
    while i < len(window) and len(tag) < 5 and window[i] != 0x20:
        tag.append(window[i])
        i += 1
    return bytes(tag).lower() in (b'meta', b'?xml', b'text')


def declared_encoding(raw):
    """The first charset= or encoding= value inside a declaring tag in the
    first 4 KB, as written (empty when there is none)."""
    window = raw[:DECLARATION_WINDOW]
    lower = window.lower()
    for i in range(len(window)):
        after = 0
        for key in (b'charset', b'encoding'):
            if len(window) - i > len(key) and lower.startswith(key, i):
                after = i + len(key)
        if after == 0 or not _in_declaring_tag(window, i):
            continue
        while after < len(window) and window[after] in b' =':
            after += 1
        if after < len(window) and window[after] in b'"\'':
            after += 1
        start = after
        while after < len(window) and window[after] in _NAME_CHARS:
            after += 1
        if after > start:
            return window[start:after].decode('ascii')
    return ''


def looks_like_utf8(raw):
    """True when the bytes read as UTF-8: at least one multi-byte character and
    at most one broken sequence per fifty good ones (a cut-off character is
    forgiven; GBK text breaks UTF-8 at nearly every Chinese character)."""
    valid = invalid = 0
    i, n = 0, len(raw)
    while i < n:
        c = raw[i]
        if c < 0x80:
            i += 1
            continue
        if c & 0xE0 == 0xC0:
            more, least = 1, 0x80
        elif c & 0xF0 == 0xE0:
            more, least = 2, 0x800
        elif c & 0xF8 == 0xF0:
            more, least = 3, 0x10000
        else:
            invalid += 1
            i += 1
            continue
        ok = n - i > more
        value = c & (0x3F >> more)
        k = 1
        while ok and k <= more:
            d = raw[i + k]
            ok = d & 0xC0 == 0x80
            value = (value << 6) | (d & 0x3F)
            k += 1
        if ok and (value < least or value > 0x10FFFF or 0xD800 <= value <= 0xDFFF):
            ok = False
        if ok:
            valid += 1
            i += more + 1
        else:
            invalid += 1
            i += 1
    return valid > 0 and invalid * UTF8_VALID_PER_INVALID <= valid


def decode(raw):
    """The page's text as hotextract reads it (see the module's note)."""
    for bom, codec in ((codecs.BOM_UTF8, 'utf-8'), (codecs.BOM_UTF16_LE, 'utf-16-le'),
                       (codecs.BOM_UTF16_BE, 'utf-16-be')):
        if raw.startswith(bom):
            return raw[len(bom):].decode(codec, 'replace').replace('\0', '')
    utf8 = looks_like_utf8(raw)
    codec = _CODEC_OF_NAME.get(declared_encoding(raw).lower())
    if codec is None or utf8:
        codec = 'utf-8' if utf8 else 'gb18030'
    return raw.decode(codec, 'replace').replace('\0', '')
