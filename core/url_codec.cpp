#include "core/url_codec.h"

#include "core/encoding.h"

namespace core {
namespace {

bool IsUnreserved(unsigned char c) {
  return c == '-' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z');
}

}  // namespace

Text UrlEncode(std::string_view text, bool keepUnreserved, bool viaUtf8) {
  if (text.empty()) return Text();
  const Text bytes = viaUtf8 ? GbkToUtf8(text) : Text(text);
  static const char kHex[] = "0123456789ABCDEF";
  Text out;
  out.reserve(bytes.size() * 3);
  for (const unsigned char c : bytes) {
    if (keepUnreserved && IsUnreserved(c)) {
      out.push_back(char(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

Text UrlDecode(std::string_view text, bool toGbk) {
  Text out;
  out.reserve(text.size());
  // Pages hold few escapes: the text between them is copied whole.
  size_t p = 0;
  while (p < text.size()) {
    const char* found = FindByte(text.data() + p, text.size() - p, '%');
    const size_t percent = found ? size_t(found - text.data()) : text.size();
    out.append(text.data() + p, percent - p);
    p = percent;
    if (p == text.size()) break;
    if (p + 2 < text.size() && HexDigitValue(text[p + 1]) >= 0 && HexDigitValue(text[p + 2]) >= 0) {
      const int value = HexDigitValue(text[p + 1]) * 16 + HexDigitValue(text[p + 2]);
      if (value != 0) out.push_back(char(value));
      p += 3;
    } else {
      out.push_back('%');
      ++p;
    }
  }
  return toGbk ? Utf8ToGbk(out) : out;
}

}  // namespace core
