#include "app/page_file.h"

#include <gtest/gtest.h>

#include <string>

namespace app {
namespace {

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(PageFileText, EncodingByMarkThenDeclarationThenContent) {
  const std::string zhong = "\xD6\xD0";  // 中 in GBK
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {
      {"\xEF\xBB\xBF<p>\xE4\xB8\xAD</p>", "<p>" + zhong + "</p>"},
      {std::string("\xFF\xFE<\0p\0>\0\x2D\x4E", 10), "<p>" + zhong},
      {"<meta charset=\"big5\"><p>\xA4\xA4</p>", "<meta charset=\"big5\"><p>" + zhong + "</p>"},
      {"<text id=\"x\" encoding=\"gb2312\">\xD6\xD0", "<text id=\"x\" encoding=\"gb2312\">" + zhong},
      // A script's charset speaks for the script only.
      {"<script charset=\"big5\" src=a.js></script>\xD6\xD0", "<script charset=\"big5\" src=a.js></script>" + zhong},
      // Saved in UTF-8 beneath an older GBK declaration.
      {"<meta charset=gbk>\xE4\xB8\xAD\xE4\xB8\xAD", "<meta charset=gbk>" + zhong + zhong},
      // GBK without a declaration; a cut-off UTF-8 character among many good ones.
      {"\xD6\xD0\xD6\xD0", zhong + zhong},
      {Repeat("\xE4\xB8\xAD", 150) + "\xE4\xB8", Repeat(zhong, 150) + "\x84\x31\xA4\x37"},  // U+FFFD
      // A zero byte is dropped, whatever the encoding, and never ends the page.
      {std::string("a\0b", 3), "ab"},
      {std::string("a\0b\xE4\xB8\xAD\xE4\xB8\xAD", 9), "ab" + zhong + zhong},
      {std::string("\xFF\xFE" "a\0\0\0b\0", 8), "ab"},
      {std::string("<meta charset=big5>\0\xA4\xA4", 22), "<meta charset=big5>" + zhong},
  };
  for (const auto& c : cases) EXPECT_EQ(PageFileText(c.bytes), c.text) << c.bytes;
}

TEST(ArticleFileText, ParagraphsAsLinesWithBlanksKeptBetweenAsciiOnly) {
  const std::string text =
      ArticleFileText("<p>Two \t words, \xD6\xD0 \xD6\xD0 end</p><p><img src=\"/a.jpg\"></p><p>next</p>");
  EXPECT_EQ(text.substr(0, 23), "Two words,\xD6\xD0\xD6\xD0" "end\r\nnext") << text;
}

}  // namespace
}  // namespace app
