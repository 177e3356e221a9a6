#include "core/escapes.h"

#include "core/char_refs.h"
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
  Text Take() {
    Flush();
    return std::move(out_);
  }

 private:
  void Flush() {
    if (wide_.empty()) return;
    out_ += WideToGb18030(wide_);
    wide_.clear();
  }
  Text out_;
  Wide wide_;
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
    const CharRef ref = ReadCharRef(s, i, RefContext::kText);
    if (ref.length == 0) {
      out.Gbk("&");
      ++i;
      continue;
    }
    if (ref.codePoint != 0) out.CodePoint(ref.codePoint);
    i += ref.length;
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
