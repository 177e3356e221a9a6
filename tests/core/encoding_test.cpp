#include "core/encoding.h"

#include <gtest/gtest.h>

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
