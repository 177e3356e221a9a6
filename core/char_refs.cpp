#include "core/char_refs.h"

#include "core/text.h"

namespace core {
namespace {

struct NamedRef {
  std::string_view name;
  char32_t codePoint;
};

// The named references pages actually use; any other name stays as written.
constexpr NamedRef kNamedRefs[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
    {"AMP", '&'}, {"LT", '<'}, {"GT", '>'}, {"QUOT", '"'}, {"COPY", 0xA9}, {"REG", 0xAE},
    {"nbsp", 0xA0}, {"ensp", 0x2002}, {"emsp", 0x2003}, {"thinsp", 0x2009},
    {"zwnj", 0x200C}, {"zwj", 0x200D}, {"shy", 0xAD},
    {"copy", 0xA9}, {"reg", 0xAE}, {"trade", 0x2122}, {"middot", 0xB7}, {"bull", 0x2022},
    {"hellip", 0x2026}, {"mdash", 0x2014}, {"ndash", 0x2013}, {"lsquo", 0x2018},
    {"rsquo", 0x2019}, {"sbquo", 0x201A}, {"ldquo", 0x201C}, {"rdquo", 0x201D},
    {"bdquo", 0x201E}, {"laquo", 0xAB}, {"raquo", 0xBB}, {"lsaquo", 0x2039},
    {"rsaquo", 0x203A}, {"times", 0xD7}, {"divide", 0xF7}, {"deg", 0xB0}, {"plusmn", 0xB1},
    {"sect", 0xA7}, {"para", 0xB6}, {"yen", 0xA5}, {"euro", 0x20AC}, {"pound", 0xA3},
    {"cent", 0xA2}, {"iexcl", 0xA1}, {"iquest", 0xBF}, {"frac12", 0xBD},
    {"frac14", 0xBC}, {"frac34", 0xBE}, {"sup2", 0xB2}, {"sup3", 0xB3}, {"micro", 0xB5},
    {"larr", 0x2190}, {"rarr", 0x2192}, {"uarr", 0x2191}, {"darr", 0x2193},
    {"hearts", 0x2665}, {"star", 0x2606}, {"prime", 0x2032}, {"Prime", 0x2033},
    {"permil", 0x2030}, {"dagger", 0x2020}, {"Dagger", 0x2021}, {"le", 0x2264},
    {"ge", 0x2265}, {"ne", 0x2260}, {"asymp", 0x2248}, {"infin", 0x221E},
    {"alpha", 0x3B1}, {"beta", 0x3B2}, {"gamma", 0x3B3}, {"delta", 0x3B4}, {"pi", 0x3C0},
    {"mu", 0x3BC}, {"eacute", 0xE9}, {"egrave", 0xE8}, {"aacute", 0xE1}, {"agrave", 0xE0},
    {"uuml", 0xFC}, {"ouml", 0xF6}, {"auml", 0xE4}, {"Uuml", 0xDC}, {"Ouml", 0xD6},
    {"Auml", 0xC4}, {"szlig", 0xDF}, {"ccedil", 0xE7}, {"ntilde", 0xF1}, {"iacute", 0xED},
    {"oacute", 0xF3}, {"uacute", 0xFA}, {"ecirc", 0xEA}, {"acirc", 0xE2}, {"ocirc", 0xF4},
};

// No name above is longer; a longer run of letters is read for its prefix.
constexpr size_t kLongestName = 6;

// References 0x80-0x9F as browsers read them: the Windows-1252 character of
// that byte (the five bytes it leaves undefined stand for themselves).
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
    0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
constexpr unsigned long kWindows1252First = 0x80;

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsAsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The names browsers also read without a ";": the Latin-1 ones and four
// markup characters (every name here whose character is one of those).
bool ReadWithoutSemicolon(char32_t codePoint) {
  return (codePoint >= 0xA0 && codePoint <= 0xFF) || codePoint == '&' || codePoint == '<' ||
         codePoint == '>' || codePoint == '"';
}

CharRef ReadNumeric(std::string_view text, size_t at) {
  size_t p = at + 2;  // past "&#"
  const bool hex = p < text.size() && (text[p] == 'x' || text[p] == 'X');
  if (hex) ++p;
  const size_t digitsStart = p;
  unsigned long value = 0;
  for (; p < text.size(); ++p) {
    const int digit = hex ? HexDigitValue(text[p]) : (text[p] >= '0' && text[p] <= '9' ? text[p] - '0' : -1);
    if (digit < 0) break;
    // Past the last code point the value only has to stay too large.
    if (value <= kLastCodePoint) value = value * (hex ? 16 : 10) + unsigned(digit);
  }
  if (p == digitsStart) return {};
  if (p < text.size() && text[p] == ';') ++p;
  return {p - at, TextCodePoint(NumericRefCodePoint(value))};
}

}  // namespace

char32_t NamedRefCodePoint(std::string_view name) {
  for (const NamedRef& ref : kNamedRefs) {
    if (ref.name == name) return ref.codePoint;
  }
  return 0;
}

char32_t NumericRefCodePoint(unsigned long value) {
  if (value == 0 || value > kLastCodePoint || (value >= 0xD800 && value <= 0xDFFF)) return kReplacement;
  if (value >= kWindows1252First && value < kWindows1252First + 32) {
    return kWindows1252High[value - kWindows1252First];
  }
  return char32_t(value);
}

char32_t TextCodePoint(char32_t c) {
  if (c == 0xA0 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F) return ' ';
  if (c == 0xAD || (c >= 0x200B && c <= 0x200D) || c == 0x2060 || c == 0xFEFF) return 0;
  return c;
}

CharRef ReadCharRef(std::string_view text, size_t at, RefContext context) {
  if (at + 1 >= text.size()) return {};
  if (text[at + 1] == '#') return ReadNumeric(text, at);
  size_t run = 0;
  while (run <= kLongestName && at + 1 + run < text.size() && IsAsciiAlnum(text[at + 1 + run])) ++run;
  for (size_t length = run < kLongestName ? run : kLongestName; length > 0; --length) {
    const char32_t codePoint = NamedRefCodePoint(text.substr(at + 1, length));
    if (codePoint == 0) continue;
    const size_t next = at + 1 + length;
    if (next < text.size() && text[next] == ';') return {length + 2, TextCodePoint(codePoint)};
    if (!ReadWithoutSemicolon(codePoint)) continue;
    if (context == RefContext::kAttribute && next < text.size() &&
        (IsAsciiAlnum(text[next]) || text[next] == '=')) {
      return {};
    }
    return {length + 1, TextCodePoint(codePoint)};
  }
  return {};
}

}  // namespace core
