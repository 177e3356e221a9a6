#include "core/utf8.h"

#include <cstdint>

namespace core {

std::u16string Utf8ToUtf16(std::string_view utf8) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  std::u16string out;
  out.reserve(n);
  size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      out.push_back(char16_t(c));
      ++i;
      continue;
    }
    // The sequence length and the range of its second byte, which rules out
    // overlong forms, surrogates and values above U+10FFFF.
    size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    }
    if (len == 0) {
      out.push_back(u'\xFFFD');
      ++i;
      continue;
    }
    std::uint32_t cp = c & (0xFF >> (len + 1));
    size_t k = 1;
    for (; k < len && i + k < n; ++k) {
      const unsigned char t = s[i + k];
      if (k == 1 ? (t < lo || t > hi) : (t < 0x80 || t > 0xBF)) break;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (k < len) {
      out.push_back(u'\xFFFD');  // the valid prefix is replaced as one
      i += k;
      continue;
    }
    AppendUtf16(cp, out);
    i += len;
  }
  return out;
}

std::string Utf16ToUtf8(const std::u16string& utf16) {
  std::string out;
  out.reserve(utf16.size() + utf16.size() / 2);
  const size_t n = utf16.size();
  for (size_t i = 0; i < n; ++i) {
    std::uint32_t cp = utf16[i];
    if (cp < 0x80) {
      out.push_back(char(cp));
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      const bool paired = cp <= 0xDBFF && i + 1 < n && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF;
      if (!paired) {
        out.append("\xEF\xBF\xBD");
        continue;
      }
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    }
    if (cp < 0x800) {
      out.push_back(char(0xC0 | (cp >> 6)));
    } else if (cp < 0x10000) {
      out.push_back(char(0xE0 | (cp >> 12)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (cp >> 18)));
      out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    }
    out.push_back(char(0x80 | (cp & 0x3F)));
  }
  return out;
}

}  // namespace core
