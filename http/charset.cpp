#include "http/charset.h"

#include <cstring>

#include "core/declared_charset.h"
#include "core/encoding.h"

namespace http {

namespace {

// Only the start of a page is searched for its declaration, as browsers do.
constexpr size_t kSearchWindow = 1024;

struct Alias {
  const char* name;
  unsigned codePage;
};

// Names as pages write them (compared ignoring ASCII case).
const Alias kAliases[] = {
    {"utf-8", 65001}, {"utf8", 65001}, {"unicode-1-1-utf-8", 65001},
    {"utf-16", 1200}, {"utf-16le", 1200}, {"unicode", 1200}, {"ucs-2", 1200}, {"utf-16be", 1201},
    {"gbk", 936}, {"gb2312", 936}, {"gb18030", 936}, {"x-gbk", 936}, {"cp936", 936},
    {"windows-936", 936}, {"euc-cn", 936}, {"csgb2312", 936}, {"chinese", 936},
    {"big5", 950}, {"big5-hkscs", 950}, {"cn-big5", 950}, {"x-x-big5", 950}, {"csbig5", 950},
    {"cp950", 950},
    {"shift_jis", 932}, {"shift-jis", 932}, {"sjis", 932}, {"x-sjis", 932}, {"ms_kanji", 932},
    {"windows-31j", 932}, {"cp932", 932}, {"csshiftjis", 932},
    {"euc-kr", 949}, {"ks_c_5601-1987", 949}, {"cp949", 949}, {"windows-949", 949}, {"korean", 949},
    {"euc-jp", 20932}, {"x-euc-jp", 20932},
    {"koi8-r", 20866}, {"koi8-u", 21866},
    {"us-ascii", 20127}, {"ascii", 20127},
    {"iso-8859-1", 28591}, {"latin1", 28591}, {"iso8859-1", 28591}, {"iso_8859-1", 28591},
    {"iso-8859-2", 28592}, {"iso-8859-3", 28593}, {"iso-8859-4", 28594}, {"iso-8859-5", 28595},
    {"iso-8859-6", 28596}, {"iso-8859-7", 28597}, {"iso-8859-8", 28598}, {"iso-8859-9", 28599},
    {"iso-8859-10", 28600}, {"iso-8859-11", 28601}, {"iso-8859-13", 28603}, {"iso-8859-14", 28604},
    {"iso-8859-15", 28605}, {"latin-9", 28605},
    {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1252", 1252}, {"windows-1253", 1253},
    {"windows-1254", 1254}, {"windows-1255", 1255}, {"windows-1256", 1256}, {"windows-1257", 1257},
    {"windows-1258", 1258}, {"cp1250", 1250}, {"cp1251", 1251}, {"cp1252", 1252},
};

bool EqualsIgnoringCase(const Text& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (core::AsciiLower(a[i]) != core::AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace

unsigned CodePageOfCharset(const Text& name) {
  for (const Alias& alias : kAliases) {
    if (EqualsIgnoringCase(name, alias.name)) return alias.codePage;
  }
  return 0;
}

Text DeclaredCharset(const Text& bodyText) { return core::DeclaredCharset(bodyText, kSearchWindow); }

namespace {

// `body` decoded from the charset `name`; `bodyText` when the name means the GB family
// or has no code page here.
Text DecodeAs(const Bytes& body, const Text& bodyText, const Text& name) {
  unsigned codePage = CodePageOfCharset(name);
  if (codePage == 0 || core::IsGbFamily(codePage) || !core::IsCodePageSupported(codePage)) {
    return bodyText;
  }
  std::string_view bytes(reinterpret_cast<const char*>(body.data()), body.size());
  // A byte-order mark decides the byte order of UTF-16 and is no character.
  if (codePage == core::kCodePageUtf16Le || codePage == core::kCodePageUtf16Be) {
    if (bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFE && (unsigned char)bytes[1] == 0xFF) {
      codePage = core::kCodePageUtf16Be;
      bytes.remove_prefix(2);
    } else if (bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE) {
      codePage = core::kCodePageUtf16Le;
      bytes.remove_prefix(2);
    }
  }
  core::Wide wide;
  if (!core::BytesToWide(bytes, codePage, wide)) return bodyText;
  if (!wide.empty() && wide[0] == u'\xFEFF') wide.erase(0, 1);
  // Text holds no zero byte: a zero character ends it, as it ends `bodyText`.
  return core::TextFromBytes(core::WideToGb18030(wide));
}

}  // namespace

Text DecodePageText(const Bytes& body, const Text& bodyText) {
  const Text name = DeclaredCharset(bodyText);
  // Exactly these two names mean the page is GBK already.
  if (name.empty() || name == "gbk" || name == "gb2312") return bodyText;
  return DecodeAs(body, bodyText, name);
}

Text DecodePageText(const Bytes& body, const Text& fetchedText, const Text& fallbackCharset) {
  const Text bodyText = core::TextFromBytes(body);
  if (fallbackCharset.empty() || !DeclaredCharset(bodyText).empty()) return fetchedText;
  return DecodeAs(body, bodyText, fallbackCharset);
}

}  // namespace http
