// UTF-8 <-> UTF-16 of our own. Pages are mostly ASCII markup, and this path
// (every article page is turned from UTF-8 into GBK through UTF-16) is the
// hottest conversion of a pass, so it does not go through a general
// code-page converter. Invalid input follows the platform's rule: each
// ill-formed sequence (its longest valid prefix, at least one byte) becomes
// U+FFFD, and a lone surrogate becomes U+FFFD going to UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace core {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(const std::u16string& utf16);

}  // namespace core
