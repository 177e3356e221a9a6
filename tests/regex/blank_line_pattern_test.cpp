#include <gtest/gtest.h>

#include <string>

#include "core/blank_lines.h"
#include "regex/regex.h"

namespace {

// The blank-line removal is a plain loop; the rule it follows is the
// multi-line pattern "(?:^\r|\n$)" replaced by nothing, with "^" after and
// "$" before every CR and LF. Every text of up to eight CRs, LFs and letters
// gives the same through both.
TEST(BlankLinePattern, LoopAgreesWithTheMultilinePattern) {
  regex::Regex blankLine;
  ASSERT_TRUE(blankLine.Compile("(?:^\\r|\\n$)", /*ignoreCase=*/true, /*multiline=*/true));
  const char kAlphabet[] = {'\r', '\n', 'a'};
  int checked = 0;
  for (int length = 0; length <= 8; ++length) {
    int combinations = 1;
    for (int i = 0; i < length; ++i) combinations *= 3;
    for (int code = 0; code < combinations; ++code) {
      std::string text;
      for (int i = 0, rest = code; i < length; ++i, rest /= 3) text.push_back(kAlphabet[rest % 3]);
      std::string_view cut = text;
      if (core::StartsWith(cut, "\r\n")) cut.remove_prefix(2);
      if (core::EndsWith(cut, "\r\n")) cut.remove_suffix(2);
      std::string expected;
      ASSERT_NE(blankLine.Replace(cut, "", /*global=*/true, expected), regex::Status::kLimitHit) << text;
      ASSERT_EQ(core::RemoveBlankLines(text), expected) << testing::PrintToString(text);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 9841);  // 3^0 + ... + 3^8
}

}  // namespace
