#include "core/url_codec.h"

#include "core/encoding.h"

namespace core {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiUpper(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

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
  for (size_t p = 0; p < text.size(); ++p) {
    if (text[p] == '%' && p + 2 < text.size() && HexValue(text[p + 1]) >= 0 &&
        HexValue(text[p + 2]) >= 0) {
      const int value = HexValue(text[p + 1]) * 16 + HexValue(text[p + 2]);
      if (value != 0) out.push_back(char(value));
      p += 2;
    } else {
      out.push_back(text[p]);
    }
  }
  return toGbk ? Utf8ToGbk(out) : out;
}

}  // namespace core
