// UTF-8 <-> UTF-16 of our own. Pages are mostly ASCII markup, and this path
// (every article page is turned from UTF-8 into the program's text) is the
// hottest conversion of a pass, so it does not go through a general
// code-page converter. Invalid input follows the platform's rule: each
// ill-formed sequence (its longest valid prefix, at least one byte) becomes
// U+FFFD, and a lone surrogate becomes U+FFFD going to UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

std::u16string Utf8ToUtf16(std::string_view utf8);

// Reads the UTF-8 sequence at `at` (< text.size()). A well-formed one gives
// its length and its code point. An ill-formed one gives 0, and `invalid` is
// the number of bytes that make one U+FFFD (its longest valid prefix, at
// least 1). The second byte's range rules out overlong forms, surrogates and
// values above U+10FFFF.
inline size_t ReadUtf8(std::string_view text, size_t at, std::uint32_t& codePoint, size_t& invalid) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char c = s[at];
  if (c < 0x80) {
    codePoint = c;
    return 1;
  }
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
    invalid = 1;
    return 0;
  }
  std::uint32_t cp = c & (0xFF >> (len + 1));
  size_t k = 1;
  for (; k < len && at + k < text.size(); ++k) {
    const unsigned char t = s[at + k];
    if (k == 1 ? (t < lo || t > hi) : (t < 0x80 || t > 0xBF)) break;
    cp = (cp << 6) | (t & 0x3F);
  }
  if (k < len) {
    invalid = k;
    return 0;
  }
  codePoint = cp;
  return len;
}

// True when every byte sequence of `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// Appends a code point (at most U+10FFFF, no surrogate) as one or two units.
inline void AppendUtf16(std::uint32_t cp, std::u16string& out) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(char16_t(0xD800 + (cp >> 10)));
    out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(char16_t(cp));
  }
}
std::string Utf16ToUtf8(const std::u16string& utf16);

}  // namespace core
