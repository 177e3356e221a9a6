#include "core/encoding.h"

#include <gtest/gtest.h>

#include "core/gbk_table.h"
#include "core/utf8.h"

namespace core {
namespace {

TEST(Encoding, GbkUtf8RoundTrip) {
  // 中 is D6 D0 in GBK and E4 B8 AD in UTF-8.
  EXPECT_EQ(GbkToUtf8("\xD6\xD0"), "\xE4\xB8\xAD");
  EXPECT_EQ(Utf8ToGbk("\xE4\xB8\xAD"), "\xD6\xD0");
  EXPECT_EQ(GbkToWide("a\xD6\xD0"), (Wide{u'a', u'\x4E2D'}));
  EXPECT_EQ(WideToGbk(Wide{u'\x4E2D', u'b'}), "\xD6\xD0" "b");
  EXPECT_EQ(GbkToUtf8(""), "");
  // A source literal is compiled into GBK.
  EXPECT_EQ(std::string("中"), "\xD6\xD0");
  const std::string mixed = "热点文章采集 abc 123，。";
  EXPECT_EQ(Utf8ToGbk(GbkToUtf8(mixed)), mixed);
}

TEST(Encoding, InvalidInputAndUnmappableCharacters) {
  // An invalid UTF-8 byte does not swallow its neighbours.
  const Text out = Utf8ToGbk("a\xFF" "b");
  EXPECT_EQ(out.front(), 'a');
  EXPECT_EQ(out.back(), 'b');
  // A character outside GBK becomes "?".
  EXPECT_EQ(WideToGbk(Wide{u'x', u'\xAC00'}), "x?");  // a Hangul syllable
}

// The GBK tables answer exactly as the platform's converter does, for every
// pair, every UTF-16 unit and the sequences the tables leave to it.
TEST(Encoding, GbkTablesAgreeWithThePlatform) {
  ASSERT_GT(GbkTable::Get().PairCount(), 20000);

  std::string everyPair;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      everyPair += char(lead);
      everyPair += char(trail);
      everyPair += "a";
    }
  }
  Wide platform;
  ASSERT_TRUE(BytesToWide(everyPair, kCodePageGbk, platform));
  EXPECT_TRUE(GbkToWide(everyPair) == platform);
  for (const std::string odd : {std::string("ab\xD6"), std::string("\x80x\xD6\xD0"), std::string("\xFF\xD6\xD0"),
                                std::string("\xD6\x7F\xD6\xD0"), std::string("\xD6\x30z")}) {
    SCOPED_TRACE(odd);
    ASSERT_TRUE(BytesToWide(odd, kCodePageGbk, platform));
    EXPECT_TRUE(GbkToWide(odd) == platform);
  }

  Wide everyUnit;
  for (int c = 1; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    everyUnit += char16_t(c);
  }
  everyUnit += u"\xD83D\xDE00 a \xD800 b \xDC00";  // a pair, lone halves
  std::string bytes;
  ASSERT_TRUE(WideToBytes(everyUnit, kCodePageGbk, bytes));
  EXPECT_TRUE(WideToGbk(everyUnit) == bytes);
}

// UTF-8 straight into GBK gives what going through UTF-16 and the
// platform gives, for every character and for ill-formed input between them.
TEST(Encoding, Utf8ToGbkMatchesTheWayThroughUtf16) {
  Wide everyUnit;
  for (int c = 1; c <= 0xFFFF; ++c) {
    if (c < 0xD800 || c > 0xDFFF) everyUnit += char16_t(c);
  }
  std::string utf8 = Utf16ToUtf8(everyUnit);
  utf8 += "\xF0\x9F\x98\x80 emoji, \xE4\xB8 cut short, \xC0\xAF overlong, \xED\xA0\x80 surrogate, "
          "\x80 stray, \xF5\x80 out of range, \xE4\xB8\xAD\xE4 then the end \xE4";
  std::string expected;
  ASSERT_TRUE(WideToBytes(Utf8ToUtf16(utf8), kCodePageGbk, expected));
  EXPECT_TRUE(Utf8ToGbk(utf8) == expected);
  const std::string tail = "\xE4\xB8\xAD" + utf8.substr(utf8.size() - 40);
  for (size_t cut = 0; cut < tail.size(); ++cut) {
    const std::string_view part(tail.data(), cut);
    ASSERT_TRUE(WideToBytes(Utf8ToUtf16(part), kCodePageGbk, expected));
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
  EXPECT_TRUE(IsCodePageSupported(936));
}

}  // namespace
}  // namespace core
