// UTF-8 <-> UTF-16 of our own. Pages are mostly ASCII markup, and this path
// (every article page is turned from UTF-8 into GBK through UTF-16) is the
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
