#include "core/blank_lines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RemoveBlankLines, EmptyLinesGoAndLinesWithTextKeepSingleBreaks) {
  const struct {
    std::string in;
    std::string out;
  } rows[] = {
      {"", ""},
      {"\r\n", ""},
      {"a", "a"},
      {"a\r\nb", "a\r\nb"},
      {"\r\na\r\n", "a"},
      {"\r\na\r\n\r\nb\r\n", "a\r\nb"},
      {"a\r\n\r\n\r\n\r\nb", "a\r\nb"},
      {" a \r\n\tb", " a \r\n\tb"},
      // two keyword lists joined by a line break: no empty line between them
      {"k1\r\nk2\r\n\r\nk3\r\nk4\r\n", "k1\r\nk2\r\nk3\r\nk4"},
      // an empty first list: no empty first line
      {"\r\nk3\r\nk4\r\n", "k3\r\nk4"},
      // only one leading break is cut; the lone LF of a second one stays
      {"\r\n\r\na", "\na"},
      {"中文\r\n\r\n文字", "中文\r\n文字"},
  };
  for (const auto& row : rows) EXPECT_EQ(core::RemoveBlankLines(row.in), row.out) << row.in;
}

TEST(RemoveBlankLines, LargeTextsWithLongBlankRuns) {
  std::string in, want;
  for (int i = 0; i < 20000; ++i) {
    in += "line " + std::to_string(i) + std::string(i % 7, ' ') + "\r\n\r\n\r\n";
    want += "line " + std::to_string(i) + std::string(i % 7, ' ') + "\r\n";
  }
  in += std::string(3 << 20, '\n');  // a run of bare line feeds, each an empty line end
  want.resize(want.size() - 2);
  const std::string got = core::RemoveBlankLines(in);
  EXPECT_EQ(got.substr(0, want.size()), want);
}

}  // namespace
