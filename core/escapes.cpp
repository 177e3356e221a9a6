#include "core/escapes.h"

#include "core/encoding.h"
#include "core/utf8.h"

namespace core {
namespace {

// The value of the hex digits of `s`, or -1 when one is not a hex digit.
long HexNumber(std::string_view s) {
  if (s.empty()) return -1;
  long value = 0;
  for (char c : s) {
    const int d = HexDigitValue(c);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

// A surrogate or zero (text holds no zero byte) becomes U+FFFD.
void AppendCodePoint(unsigned long cp, Wide& out) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0) cp = 0xFFFD;
  AppendUtf16(std::uint32_t(cp), out);
}

// Builds the result as GBK runs copied whole and escaped characters gathered
// as UTF-16, flushed through one conversion each.
class Output {
 public:
  void Gbk(std::string_view s) {
    Flush();
    out_.append(s);
  }
  void CodePoint(unsigned long cp) { AppendCodePoint(cp, wide_); }
  void Unit(char16_t u) { wide_.push_back(u); }
  Text Take() {
    Flush();
    return std::move(out_);
  }

 private:
  void Flush() {
    if (wide_.empty()) return;
    out_ += WideToGbk(wide_);
    wide_.clear();
  }
  Text out_;
  Wide wide_;
};

struct NamedReference {
  std::string_view name;
  char16_t unit;
};

constexpr NamedReference kNamed[] = {
    {"amp", u'&'},     {"lt", u'<'},      {"gt", u'>'},      {"quot", u'"'},
    {"apos", u'\''},   {"nbsp", u' '},    {"ensp", u' '},    {"emsp", u' '},    {"thinsp", u' '},  {"middot", 0x00B7}, {"hellip", 0x2026},
    {"mdash", 0x2014}, {"ndash", 0x2013}, {"ldquo", 0x201C}, {"rdquo", 0x201D},
    {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"times", 0x00D7}, {"copy", 0x00A9},
    {"reg", 0x00AE},   {"deg", 0x00B0},   {"yen", 0x00A5},
};

}  // namespace

Text JsonUnescape(std::string_view s) {
  if (s.find('\\') == std::string_view::npos) return Text(s);
  Output out;
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] != '\\' || i + 1 >= s.size()) {
      const size_t n = CharLengthAt(s, i);
      out.Gbk(s.substr(i, n));
      i += n;
      continue;
    }
    const char e = s[i + 1];
    const char* simple = nullptr;
    switch (e) {
      case '"': simple = "\""; break;
      case '\\': simple = "\\"; break;
      case '/': simple = "/"; break;
      case 'b': simple = "\b"; break;
      case 'f': simple = "\f"; break;
      case 'n': simple = "\n"; break;
      case 'r': simple = "\r"; break;
      case 't': simple = "\t"; break;
      default: break;
    }
    if (simple) {
      out.Gbk(simple);
      i += 2;
      continue;
    }
    const long unit = e == 'u' && i + 6 <= s.size() ? HexNumber(s.substr(i + 2, 4)) : -1;
    if (unit < 0) {
      out.Gbk(s.substr(i, 1));
      ++i;
      continue;
    }
    i += 6;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 6 <= s.size() && s[i] == '\\' && s[i + 1] == 'u') {
      const long low = HexNumber(s.substr(i + 2, 4));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out.CodePoint(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 6;
        continue;
      }
    }
    out.CodePoint(static_cast<unsigned long>(unit));
  }
  return out.Take();
}

Text HtmlUnescape(std::string_view s) {
  if (s.find('&') == std::string_view::npos) return Text(s);
  Output out;
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] != '&') {
      const size_t n = CharLengthAt(s, i);
      out.Gbk(s.substr(i, n));
      i += n;
      continue;
    }
    // A reference is short: look for its ";" within a few bytes.
    const size_t semicolon = s.substr(i, 12).find(';');
    bool done = false;
    if (semicolon != std::string_view::npos && semicolon > 1) {
      const std::string_view name = s.substr(i + 1, semicolon - 1);
      if (name[0] == '#') {
        const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        const std::string_view digits = name.substr(hex ? 2 : 1);
        long value = -1;
        if (hex) {
          value = HexNumber(digits);
        } else if (!digits.empty()) {
          value = 0;
          for (char c : digits) {
            if (c < '0' || c > '9') {
              value = -1;
              break;
            }
            value = value * 10 + (c - '0');
          }
        }
        if (value >= 0) {
          out.CodePoint(static_cast<unsigned long>(value));
          done = true;
        }
      } else {
        for (const NamedReference& r : kNamed) {
          if (r.name == name) {
            out.Unit(r.unit);
            done = true;
            break;
          }
        }
      }
    }
    if (done) {
      i += semicolon + 1;
    } else {
      out.Gbk("&");
      ++i;
    }
  }
  return out.Take();
}

bool Base64UrlDecode(std::string_view text, Text& out) {
  out.clear();
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);
  if (text.size() % 4 == 1) return false;
  unsigned long buffer = 0;
  int bits = 0;
  for (char c : text) {
    int v = -1;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    if (c >= '0' && c <= '9') v = c - '0' + 52;
    if (c == '-' || c == '+') v = 62;
    if (c == '_' || c == '/') v = 63;
    if (v < 0) {
      out.clear();
      return false;
    }
    buffer = (buffer << 6) | unsigned(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(char((buffer >> bits) & 0xFF));
    }
  }
  return true;
}

}  // namespace core
