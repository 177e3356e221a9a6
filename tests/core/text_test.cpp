#include "core/text.h"

#include <gtest/gtest.h>

namespace core {
namespace {

// "中" is D6 D0 in GBK; "啊" is B0 A1. The trail byte of some characters is
// an ASCII letter: "丄" is 81 41 (trail "A"), "乗" is 81 67 (trail "g").
const char kZhong[] = "\xD6\xD0";
const char kTrailA[] = "\x81\x41";
const char kTrailG[] = "\x81\x67";

TEST(TextFind, PositionsCaseAndDoubleByteRule) {
  struct Case {
    std::string text, what;
    int start;
    bool ignoreCase;
    int expected;
  } cases[] = {
      {"abcabc", "bc", 1, false, 2},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "bc", 0, false, 2},   // below 1 counts as 1
      {"abcabc", "bc", -5, false, 2},
      {"abcabc", "BC", 1, false, -1},
      {"abcabc", "BC", 1, true, 2},
      {"abc", "", 1, false, 1},        // empty text is found at the start
      {"", "", 1, false, -1},
      {"", "a", 1, false, -1},
      {"abc", "abcd", 1, false, -1},
      {"abc", "c", 4, false, -1},
      {"abc", "c", 99, false, -1},
      // A match never starts on a trail byte.
      {std::string(kTrailA) + "A", "A", 1, false, 3},
      {std::string(kTrailA), "A", 1, false, -1},
      {std::string(kTrailA) + "a", "A", 1, true, 3},
      // The trail byte is not case-folded: 81 67 never matches 81 47.
      {std::string(kTrailG), "\x81\x47", 1, true, -1},
      {std::string(kTrailG), "\x81\x67", 1, true, 1},
      {std::string("x") + kZhong + "y", "y", 1, false, 4},
      {std::string("x") + kZhong + "y", kZhong, 1, false, 2},
      // Both cases of a first letter, each met several times.
      {"aAxAb", "ab", 1, true, 4},
      {"AAAb", "ab", 1, true, 3},
      {"aaaaaaaaaaaaaAaaB", "ab", 1, true, 16},
      {"sxSxsxSTYLE", "style", 2, true, 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Find(c.text, c.what, c.start, c.ignoreCase), c.expected)
        << "find '" << c.what << "' in '" << c.text << "' from " << c.start;
  }
}

TEST(TextFind, FindByteAtEveryOffsetAndLength) {
  // High bytes around the byte looked for, so a carry between the bytes of
  // a word would show.
  for (size_t n = 0; n < 20; ++n) {
    for (size_t at = 0; at <= n; ++at) {
      std::string s(n, '\x80');
      if (at < n) s[at] = '\x7F';
      if (at + 1 < n) s[at + 1] = '\x7F';  // a second one after the first
      const char* hit = FindByte(s.data(), n, '\x7F');
      EXPECT_EQ(hit ? size_t(hit - s.data()) : n, at) << n << " " << at;
      EXPECT_EQ(FindByte(s.data(), n, '\x81'), nullptr);
    }
  }
}

TEST(TextFind, FindBytePairAtEveryOffsetAndLength) {
  // Lengths across the 16- and 32-byte blocks; a first byte without its
  // second, a second without its first, and the pair itself in either case.
  for (size_t n = 0; n < 80; ++n) {
    for (size_t at = 0; at + 1 < n + 1; ++at) {
      std::string s(n, '\x80');
      if (at > 0) s[at - 1] = 'P';   // a first byte not followed by a second
      if (at + 1 < n) {
        s[at] = at % 2 ? '<' : '>';  // either first byte
        s[at + 1] = at % 3 ? 'p' : 'P';
      }
      if (at + 3 < n) s[at + 3] = 'p';  // a second byte without its first
      const char* hit = FindBytePair(s.data(), n, '<', '>', 'p', 'P');
      const size_t want = at + 1 < n ? at : n;
      EXPECT_EQ(hit ? size_t(hit - s.data()) : n, want) << n << " " << at;
    }
  }
}

TEST(TextGbk, OnlyAValidSecondByteMakesAPair) {
  const struct {
    std::string text;
    size_t length;
  } lengths[] = {
      {"\x81\x40", 2}, {"\xFE\xFE", 2}, {"\x81\x80", 2},
      {"\x81\x3F", 1}, {"\x81\x7F", 1}, {"\x81\xFF", 1}, {"\x81", 1},
      {"\x80\x40", 1}, {"\xFF\x40", 1}, {"A\x81", 1},
  };
  for (const auto& row : lengths) EXPECT_EQ(CharLengthAt(row.text, 0), row.length) << row.text;

  // A stray lead byte (or 0x80, 0xFF) never swallows the markup after it.
  const struct {
    std::string text, what;
    bool ignoreCase;
    int expected;
  } finds[] = {
      {"\x81<p>", "<p>", false, 2},
      {"\x81&nbsp;", "&nbsp;", false, 2},
      {"\x81 x", " ", false, 2},
      {"\x81?", "?", false, 2},
      {"\xFE<P>", "<p>", true, 2},
      {"\x80" "A", "a", true, 2},
      {"\xFF" "A", "A", false, 2},
      {"\x81\x81\x81<", "<", false, 4},
      {"\x81\x81\x81" "A", "A", false, -1},  // the last lead byte pairs with "A"
      {"\x80" "a", "\x80" "A", true, 1},      // 0x80 is single, so "a" folds
      {"\x81" "a", "\x81" "A", true, -1},     // a pair's second byte never folds
  };
  for (const auto& row : finds) {
    EXPECT_EQ(Find(row.text, row.what, 1, row.ignoreCase), row.expected) << row.text;
  }
  EXPECT_EQ(ReplaceAll("x\x81&nbsp;y", "&nbsp;", ""), "x\x81y");
  EXPECT_EQ(Split("\x81 a", " "), (TextArray{"\x81", "a"}));
  EXPECT_EQ(Trim("x\x81 "), "x\x81");
  EXPECT_EQ(RemoveBlanks("\x81 a"), "\x81" "a");
  EXPECT_EQ(ToUpperAscii("\x80" "a\x81" "a"), "\x80" "A\x81" "a");
}

TEST(TextFind, LastOccurrenceOnBoundary) {
  EXPECT_EQ(FindLast("a/b/c", "/"), 4);
  EXPECT_EQ(FindLast("abc", "/"), -1);
  EXPECT_EQ(FindLast(std::string("x") + kTrailA + "y", "A"), -1);
  EXPECT_EQ(FindLast("aaa", "aa"), 2);
}

TEST(TextReplace, AllOccurrencesWithoutOverlap) {
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(ReplaceAll("aXbxc", "x", "-", true), "a-b-c");
  EXPECT_EQ(ReplaceAll("aXbxc", "x", "-", false), "aXb-c");
  EXPECT_EQ(ReplaceAll("abc", "", "-"), "abc");
  EXPECT_EQ(ReplaceAll("</P>a</p>", "</p>", "\r\n", true), "\r\na\r\n");
  // The trail byte "A" of a double-byte character is not replaced.
  EXPECT_EQ(ReplaceAll(std::string(kTrailA) + "A", "A", "b"), std::string(kTrailA) + "b");
}

TEST(TextSplit, PiecesKeepInnerEmptiesDropOneTrailing) {
  EXPECT_EQ(Split("a\r\nb", "\r\n"), (TextArray{"a", "b"}));
  EXPECT_EQ(Split("a\r\n\r\nb\r\n", "\r\n"), (TextArray{"a", "", "b"}));
  EXPECT_EQ(Split("\r\n", "\r\n"), (TextArray{""}));
  EXPECT_EQ(Split("\r\n\r\n", "\r\n"), (TextArray{"", ""}));
  EXPECT_EQ(Split("", "\r\n"), TextArray{});
  EXPECT_EQ(Split("abc", ";"), (TextArray{"abc"}));
  EXPECT_EQ(Split(std::string(kTrailA) + "A", "A"), (TextArray{kTrailA}));
}

TEST(TextTrim, AsciiAndFullWidthBlanks) {
  const std::string fw = "\xA1\xA1";
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim(fw + " a" + fw), "a");
  EXPECT_EQ(Trim(fw + fw), "");
  EXPECT_EQ(Trim(""), "");
  // A character whose trail byte is A1 ("\xB0\xA1") before a blank is kept whole.
  EXPECT_EQ(Trim("\xB0\xA1 "), "\xB0\xA1");
  EXPECT_EQ(Trim("x\xB0\xA1\xA1\xA1"), "x\xB0\xA1");
  EXPECT_EQ(RemoveBlanks(" a = 1 ;" + fw + "b=2"), "a=1;b=2");
}

TEST(TextToInt, DigitsSignsAndFullWidth) {
  struct Case {
    std::string text;
    int expected;
  } cases[] = {
      {"123", 123}, {"  42abc", 42}, {"-7", -7}, {"+8", 8}, {"abc", 0}, {"", 0},
      {"\xA3\xB1\xA3\xB2", 12},           // full-width 12
      {"\xA3\xAD\xA3\xB5", -5},           // full-width -5
      {"\xA1\xA1" "9", 9},                // full-width blank skipped
      {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
      {"1 2", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToInt(c.text), c.expected) << c.text;
}

TEST(TextBytes, TextStopsAtFirstZero) {
  EXPECT_EQ(TextFromBytes(Bytes{'a', 'b', 0, 'c'}), "ab");
  EXPECT_EQ(TextFromBytes(Bytes{'a', 'b'}), "ab");
  EXPECT_EQ(TextFromBytes(Bytes{}), "");
  EXPECT_EQ(ToUpperAscii(std::string("ab") + kTrailG), std::string("AB") + kTrailG);
}

}  // namespace
}  // namespace core
