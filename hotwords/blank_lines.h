// Removing empty lines from CR LF text: the keyword list and the cleaned
// article body both go through it.
//
// Defined here, inline, because the collector uses it too and links no
// library of the hot-keyword subsystem.
#pragma once

#include <string_view>

#include "core/text.h"
#include "regex/regex.h"

namespace hotwords {

// One leading and one trailing "\r\n" cut, then every empty line removed
// (the lines with text keep single "\r\n" separators). A text the
// regular-expression engine could not finish within its step budget gives
// "" (the pattern is linear, so that is not expected to happen).
inline core::Text RemoveBlankLines(std::string_view text) {
  constexpr std::string_view kLineBreak = "\r\n";
  if (core::StartsWith(text, kLineBreak)) text.remove_prefix(2);
  if (core::EndsWith(text, kLineBreak)) text.remove_suffix(2);
  // In multi-line mode "^" follows and "$" precedes every CR and LF: the
  // pattern takes the CR that opens an empty line and the LF before it.
  static const regex::Regex blankLine = [] {
    regex::Regex re;
    re.Compile("(?:^\\r|\\n$)", /*ignoreCase=*/true, /*multiline=*/true);
    return re;
  }();
  core::Text out;
  if (blankLine.Replace(text, "", /*global=*/true, out) == regex::Status::kLimitHit) return {};
  return out;
}

}  // namespace hotwords
