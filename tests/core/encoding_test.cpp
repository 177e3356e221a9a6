#include "core/encoding.h"

#include <gtest/gtest.h>

#include "core/utf8.h"

namespace core {
namespace {

TEST(Encoding, GbkUtf8RoundTrip) {
  // 中 is D6 D0 in GBK and E4 B8 AD in UTF-8.
  EXPECT_EQ(GbkToUtf8("\xD6\xD0"), "\xE4\xB8\xAD");
  EXPECT_EQ(Utf8ToGbk("\xE4\xB8\xAD"), "\xD6\xD0");
  EXPECT_EQ(Gb18030ToWide("a\xD6\xD0"), (Wide{u'a', u'\x4E2D'}));
  EXPECT_EQ(WideToGb18030(Wide{u'\x4E2D', u'b'}), "\xD6\xD0" "b");
  EXPECT_EQ(GbkToUtf8(""), "");
  // A source literal is compiled into GBK.
  EXPECT_EQ(std::string("中"), "\xD6\xD0");
  const std::string mixed = "热点文章采集 abc 123，。";
  EXPECT_EQ(Utf8ToGbk(GbkToUtf8(mixed)), mixed);
}

TEST(Encoding, InvalidUtf8DoesNotSwallowItsNeighbours) {
  const Text out = Utf8ToGbk("a\xFF" "b");
  EXPECT_EQ(out.front(), 'a');
  EXPECT_EQ(out.back(), 'b');
}

// Characters GBK lacks take four bytes and come back whole; files that stay
// GBK get "?" for each of them and keep every other byte.
TEST(Encoding, CharactersOutsideGbkKeepFourBytes) {
  struct Case {
    const char* name;
    std::u16string wide;
    std::string text;
  } cases[] = {
      {"Hangul syllable", u"\xAC00", "\x82\x37\xCF\x35"},
      {"copyright sign", u"\xA9", "\x81\x30\x84\x38"},
      {"trade mark sign", u"\x2122", "\x81\x36\xBE\x34"},
      {"first of the supplementary planes", u"\U00010000", "\x90\x30\x81\x30"},
      {"grinning face", u"\U0001F600", "\x94\x39\xFC\x36"},
      {"last code point", u"\U0010FFFF", "\xE3\x32\x9A\x35"},
      {"replacement character", u"\xFFFD", "\x84\x31\xA4\x37"},
      {"euro sign keeps GBK's byte", u"\x20AC", "\x80"},
      {"ideographic space, first of its two pairs", u"\x3000", "\xA1\xA1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WideToGb18030(c.wide), c.text);
    EXPECT_EQ(Gb18030ToWide(c.text), c.wide);
    EXPECT_EQ(Utf8ToGbk(Utf16ToUtf8(c.wide)), c.text);
    EXPECT_EQ(GbkToUtf8(c.text), Utf16ToUtf8(c.wide));
  }
  const Text mixed = WideToGb18030(u"x\xAC00\x4E2D\x20AC\U0001F600y");
  EXPECT_EQ(GbkOnly(mixed), "x?\xD6\xD0\x80?y");
  std::string gbk;
  ASSERT_TRUE(WideToBytes(u"x\xAC00\x4E2D", kCodePageGbk, gbk));
  EXPECT_EQ(gbk, "x?\xD6\xD0");
  // Nothing to encode these with: a lone surrogate, and U+E5E5 (whose old
  // pair now reads as U+3000).
  EXPECT_EQ(WideToGb18030(u"a\xD800" "b\xDC00\xE5E5"), "a?b??");
  EXPECT_EQ(Gb18030ToWide("\xA3\xA0"), u"\x3000");
}

// Ill-formed GB18030 as browsers read it: one U+FFFD per error, and the
// bytes after a bad lead read again when they can begin a character.
TEST(Encoding, IllFormedGb18030) {
  struct Case {
    const char* bytes;
    std::u16string wide;
  } cases[] = {
      {"\xFF" "a", u"\xFFFD" "a"},
      {"\x81" "a", u"\x4E64"},               // 0x61 is a trail byte
      {"\x81\x7F" "a", u"\xFFFD\x7F" "a"},  // 0x7F is not, and is read again
      {"\x81\xFF" "a", u"\xFFFD" "a"},       // a bad byte above ASCII goes with the lead
      {"\x81\x30" "a", u"\xFFFD" "0a"},
      {"\x81\x30\x81" "a", u"\xFFFD" "0\x4E64"},
      {"\x81\x30\x81\x30", u"\x80"},
      {"\x81\x35\xF4\x37", u"\xE7C7"},          // the one run out of order
      {"\x84\x31\xA5\x30", u"\xFFFD"},     // past the end of the BMP runs
      {"\xE3\x32\x9A\x36", u"\xFFFD"},     // past U+10FFFF
      {"\xFE\x39\xFE\x39", u"\xFFFD"},
      {"a\x81", u"a\xFFFD"},                  // cut short by the end
      {"a\x81\x30", u"a\xFFFD"},
      {"a\x81\x30\x81", u"a\xFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Gb18030ToWide(c.bytes), c.wide);
  }
}

// UTF-8 straight into the program's text gives what going through UTF-16
// gives, for every character and for ill-formed input between them.
TEST(Encoding, Utf8ToGbkMatchesTheWayThroughUtf16) {
  Wide everyUnit;
  for (int c = 1; c <= 0xFFFF; ++c) {
    if (c < 0xD800 || c > 0xDFFF) everyUnit += char16_t(c);
  }
  for (std::uint32_t c = 0x10000; c <= 0x10FFFF; c += 0x3FF) AppendUtf16(c, everyUnit);
  std::string utf8 = Utf16ToUtf8(everyUnit);
  utf8 += "\xF0\x9F\x98\x80 emoji, \xE4\xB8 cut short, \xC0\xAF overlong, \xED\xA0\x80 surrogate, "
          "\x80 stray, \xF5\x80 out of range, \xF0\x9F\x98 cut, \xE4\xB8\xAD\xE4 then the end \xE4";
  std::string expected;
  ASSERT_TRUE(WideToBytes(Utf8ToUtf16(utf8), kCodePageGb18030, expected));
  EXPECT_TRUE(Utf8ToGbk(utf8) == expected);
  const std::string tail = "\xE4\xB8\xAD" + utf8.substr(utf8.size() - 60);
  for (size_t cut = 0; cut < tail.size(); ++cut) {
    const std::string_view part(tail.data(), cut);
    ASSERT_TRUE(WideToBytes(Utf8ToUtf16(part), kCodePageGb18030, expected));
    EXPECT_TRUE(Utf8ToGbk(part) == expected) << cut;
  }
  EXPECT_EQ(Utf8ToGbk(std::string("a\0b", 3)), "a");  // text ends at a zero byte
}

TEST(Encoding, OtherCodePages) {
  Wide w;
  ASSERT_TRUE(BytesToWide("\xA4\xA4", 950, w));  // 中 in Big5
  EXPECT_EQ(w, Wide{u'\x4E2D'});
  ASSERT_TRUE(BytesToWide("\xE9", 28591, w));
  EXPECT_EQ(w, Wide{u'\xE9'});
  ASSERT_TRUE(BytesToWide(std::string("a\0b\0", 4), kCodePageUtf16Le, w));
  EXPECT_EQ(w, (Wide{u'a', u'b'}));
  EXPECT_FALSE(BytesToWide("x", 12345, w));
  EXPECT_FALSE(IsCodePageSupported(12345));
  EXPECT_TRUE(IsCodePageSupported(kCodePageGbk));
  EXPECT_TRUE(IsCodePageSupported(kCodePageGb18030));
}

}  // namespace
}  // namespace core
