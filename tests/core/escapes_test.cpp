#include "core/escapes.h"

#include "core/encoding.h"

#include <gtest/gtest.h>

namespace {

using core::Text;

struct Case {
  const char* in;
  const char* out;
};

TEST(Escapes, JsonStringBodies) {
  const Case cases[] = {
      {"plain 中文", "plain 中文"},
      {"\\u4e2d\\u6587", "中文"},
      {"a\\\"b\\\\c\\/d", "a\"b\\c/d"},
      {"x\\ny\\tz", "x\ny\tz"},
      {"\\u0026amp", "&amp"},
      {"\\ud83d!", "\x84\x31\xA4\x37!"},  // a lone surrogate: U+FFFD
      {"\\u0000", "\x84\x31\xA4\x37"},  // no zero byte in text: U+FFFD stands in
      {"\\u12g4 \\q \\", "\\u12g4 \\q \\"},  // not escapes: kept
      {"乗\\u0041", "乗A"},            // 乗's second byte is a backslash
      {"\x80\\n\xFF\\t", "\x80\n\xFF\t"},  // 0x80 and 0xFF never take the byte after them
  };
  for (const Case& c : cases) EXPECT_EQ(core::JsonUnescape(c.in), c.out) << c.in;
  // A surrogate pair is one character, of four bytes.
  const Text emoji = core::WideToGb18030(u"\U0001F600");
  EXPECT_EQ(core::JsonUnescape("\\ud83d\\ude00!"), emoji + "!");
}

TEST(Escapes, HtmlReferences) {
  const Case cases[] = {
      {"a &amp; b &lt;c&gt; &quot;d&quot;", "a & b <c> \"d\""},
      {"&#20013;&#x6587;&#X41;", "中文A"},
      {"\x81&amp;\x80&lt;", "\x81&\x80<"},  // a stray lead byte keeps no reference from being read
      {"AT&T &unknown; &#; &#xZZ; &hellip", "AT&T &unknown; &#; &#xZZ; &hellip"},
  };
  for (const Case& c : cases) EXPECT_EQ(core::HtmlUnescape(c.in), c.out) << c.in;
  EXPECT_EQ(core::HtmlUnescape("&#128512;"), core::WideToGb18030(u"\U0001F600"));
  // The legacy names need no ";"; the named blanks are plain blanks.
  EXPECT_EQ(core::HtmlUnescape("&amp &copy2024 &emsp;&nbsp;|"),
            "& " + core::WideToGb18030(u"\u00A9") + "2024   |");
}

TEST(Escapes, Base64Url) {
  struct B64 {
    const char* in;
    bool ok;
    const char* out;
  };
  const B64 cases[] = {
      {"aHR0cHM6Ly93d3cuc29odS5jb20vYS8x", true, "https://www.sohu.com/a/1"},
      {"aHR0cDovL2gvP2E9MSZiPTI", true, "http://h/?a=1&b=2"},  // no padding
      {"aHR0cDovL2gvP2E9MSZiPTI=", true, "http://h/?a=1&b=2"},
      {"-_-_", true, "\xFB\xFF\xBF"},
      {"", true, ""},
      {"a", false, ""},
      {"aGk*", false, ""},
  };
  for (const B64& c : cases) {
    Text out = "stale";
    EXPECT_EQ(core::Base64UrlDecode(c.in, out), c.ok) << c.in;
    EXPECT_EQ(out, c.out) << c.in;
  }
}

}  // namespace
