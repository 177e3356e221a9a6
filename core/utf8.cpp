#include "core/utf8.h"

#include <cstdint>

namespace core {

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      out.push_back(char16_t(utf8[i]));
      ++i;
      continue;
    }
    std::uint32_t cp = 0;
    size_t invalid = 0;
    const size_t len = ReadUtf8(utf8, i, cp, invalid);
    if (len == 0) {
      out.push_back(u'\xFFFD');  // the valid prefix is replaced as one
      i += invalid;
      continue;
    }
    AppendUtf16(cp, out);
    i += len;
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    std::uint32_t cp = 0;
    size_t invalid = 0;
    const size_t len = ReadUtf8(text, i, cp, invalid);
    if (len == 0) return false;
    i += len;
  }
  return true;
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
