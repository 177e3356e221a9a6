#include "http/headers.h"

#include <gtest/gtest.h>

namespace http {
namespace {

TEST(HeaderNames, CapitalisedPerWordOthersDropped) {
  EXPECT_EQ(NormaliseHeaderNames("user-agent: X\r\naccept-language: zh-cn\r\n"),
            "User-Agent: X\r\nAccept-Language: zh-cn");
  EXPECT_EQ(NormaliseHeaderNames("referer: a\r\n\r\nnot a header\r\ncookie:a=b:c"),
            "Referer: a\r\nCookie:a=b:c");
  EXPECT_EQ(NormaliseHeaderNames("X-REQUESTED-with:  Value Kept "), "X-REQUESTED-With:  Value Kept ");
  EXPECT_EQ(NormaliseHeaderNames("\r\n\r\n"), "");
  EXPECT_EQ(NormaliseHeaderNames(""), "");
  EXPECT_EQ(CapitaliseFirst("abc"), "Abc");
  EXPECT_EQ(CapitaliseFirst("ABC"), "ABC");
  EXPECT_EQ(CapitaliseFirst(""), "");
}

TEST(Cookies, NamesAndLookup) {
  EXPECT_EQ(CookieName("  sid = 1"), "sid");
  EXPECT_EQ(CookieName("flag"), "flag");
  EXPECT_EQ(CookieName("\xA1\xA1k=v"), "k");
  EXPECT_TRUE(HasCookieName({"a=1", "b=2"}, "b"));
  EXPECT_FALSE(HasCookieName({"a=1", "bb=2"}, "b"));
  EXPECT_EQ(RemoveDuplicates("a; b; a; c; b", "; "), "a; b; c");
  EXPECT_EQ(RemoveDuplicates("", "; "), "");
}

TEST(Cookies, MergeNewFirstDeletedDroppedBothVariablesWritten) {
  struct Case {
    Text oldC, newC, merged, newAfter;
  } cases[] = {
      {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3;c=4"},
      {"a=1; b=2", "b=deleted", "a=1", "b=deleted"},
      {"", "", "", ""},
      {"a=1", "", "a=1", ""},
      {"", "x=1", "x=1", "x=1"},
      {"a=1; a=1", "", "a=1", ""},
      {" s = v ", "t=w", "t=w; s=v", "t=w"},
  };
  for (Case& c : cases) {
    Text oldC = c.oldC, newC = c.newC;
    const Text result = MergeCookies(oldC, newC);
    EXPECT_EQ(result, c.merged) << c.oldC << " + " << c.newC;
    EXPECT_EQ(oldC, c.merged);
    EXPECT_EQ(newC, c.newAfter);
  }
}

}  // namespace
}  // namespace http
