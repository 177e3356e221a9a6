#include "core/url_codec.h"

#include "core/encoding.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(UrlEncode, FlagsAndBytes) {
  EXPECT_EQ(UrlEncode("", true, true), "");
  EXPECT_EQ(UrlEncode("", false, false), "");
  EXPECT_EQ(UrlEncode("a b/c_d", true, true), "a%20b%2Fc%5Fd");
  EXPECT_EQ(UrlEncode("\xD6\xD0", true, true), "%E4%B8%AD");
  EXPECT_EQ(UrlEncode("\xD6\xD0", true, false), "%D6%D0");
  EXPECT_EQ(UrlEncode("a", false, false), "%61");
  EXPECT_EQ(UrlEncode("-.~09AZaz", true, false), "-.%7E09AZaz");
  EXPECT_EQ(UrlEncode("\x01", false, false), "%01");
}

TEST(UrlDecode, EscapesAndLonePercents) {
  struct Case {
    std::string in;
    bool toGbk;
    std::string expected;
  } cases[] = {
      {"%41%42", false, "AB"},
      {"%e4%b8%ad", true, "\xD6\xD0"},
      {"%E4%B8%AD", true, "\xD6\xD0"},
      {"a%00b", false, "ab"},
      // A "%" without two hex digits stays as it is.
      {"100%", false, "100%"},
      {"5%", false, "5%"},
      {"%4", false, "%4"},
      {"%G1", false, "%G1"},
      {"50%;x", false, "50%;x"},
      {"%%41", false, "%A"},
      // Article text: 增长50%，较去年 survives the decoding whole.
      {"增长50%，较去年", false, "增长50%，较去年"},
      {"plain", true, "plain"},
  };
  for (const Case& c : cases) EXPECT_EQ(UrlDecode(c.in, c.toGbk), c.expected) << c.in;
  // The GBK article text survives the UTF-8 page path too.
  const std::string gbk = "增长50%，较去年";
  EXPECT_EQ(UrlDecode(GbkToUtf8(gbk), true), gbk);
}

}  // namespace
}  // namespace core
