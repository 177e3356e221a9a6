#include "core/utf8.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(Utf8, DecodingValidAndIllFormedSequences) {
  struct Case {
    std::string in;
    std::u16string expected;
  } cases[] = {
      {"a\xE4\xB8\xAD" "b", u"a\x4E2D" "b"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {"\xDF\xBF\xE0\xA0\x80", u"\x07FF\x0800"},
      {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
      {"", u""},
      // A stray continuation byte, an invalid lead byte.
      {"\x80", u"\xFFFD"},
      {"\xFF" "a", u"\xFFFD" "a"},
      // A truncated sequence is one replacement, and the next character survives.
      {"\xE4\xB8" "x", u"\xFFFD" "x"},
      {"\xE4\xB8", u"\xFFFD"},
      {"\xF0\x9F\x98", u"\xFFFD"},
      // Overlong forms, surrogates and values above U+10FFFF are refused
      // at their second byte.
      {"\xC0\xAF", u"\xFFFD\xFFFD"},
      {"\xE0\x80\x80", u"\xFFFD\xFFFD\xFFFD"},
      {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},
      {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.in), c.expected) << testing::PrintToString(c.in);
    // Well-formed exactly when nothing had to be replaced.
    EXPECT_EQ(IsValidUtf8(c.in), c.expected.find(u'\xFFFD') == std::u16string::npos)
        << testing::PrintToString(c.in);
  }
}

TEST(Utf8, EncodingAndLoneSurrogates) {
  EXPECT_EQ(Utf16ToUtf8(u"a\x4E2D"), "a\xE4\xB8\xAD");
  EXPECT_EQ(Utf16ToUtf8(u"\xD83D\xDE00"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\x07FF\x0800"), "\xDF\xBF\xE0\xA0\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00" "a"), "\xEF\xBF\xBD" "a");
  EXPECT_EQ(Utf16ToUtf8(u"\xD800\xD800\xDC00"), "\xEF\xBF\xBD\xF0\x90\x80\x80");
}

TEST(Utf8, EveryCodePointRoundTrips) {
  std::u16string all;
  for (char32_t cp = 1; cp < 0x110000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp < 0x10000) {
      all.push_back(char16_t(cp));
    } else {
      all.push_back(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
      all.push_back(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
  }
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(all)), all);
}

}  // namespace
}  // namespace core
