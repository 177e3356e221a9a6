#include "core/blank_lines.h"

namespace core {
namespace {

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

Text RemoveBlankLines(std::string_view text) {
  constexpr std::string_view kLineBreak = "\r\n";
  if (StartsWith(text, kLineBreak)) text.remove_prefix(kLineBreak.size());
  if (EndsWith(text, kLineBreak)) text.remove_suffix(kLineBreak.size());
  Text out;
  out.reserve(text.size());
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = text[i];
    // The CR that opens an empty line, and the LF before one (or at the end).
    if (c == '\r' && (i == 0 || IsLineBreak(text[i - 1]))) continue;
    if (c == '\n' && (i + 1 == n || IsLineBreak(text[i + 1]))) continue;
    out.push_back(c);
  }
  return out;
}

}  // namespace core
