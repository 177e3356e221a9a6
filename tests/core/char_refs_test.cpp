#include "core/char_refs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using core::CharRef;
using core::RefContext;

// Where a reference ends and what it gives, in a text and in an attribute
// value; length 0 leaves the "&" as text.
TEST(CharRefs, ReadAsBrowsersRead) {
  constexpr RefContext kText = RefContext::kText;
  constexpr RefContext kAttr = RefContext::kAttribute;
  struct Case {
    const char* text;
    RefContext context;
    size_t length;
    char32_t codePoint;
  };
  const Case cases[] = {
      {"&amp;x", kText, 5, '&'},
      {"&lt;", kAttr, 4, '<'},
      {"&#20013;", kText, 8, 0x4E2D},
      {"&#x6587;", kText, 8, 0x6587},
      {"&#X41", kText, 5, 'A'},            // numeric: the ";" is optional
      {"&#65x", kText, 4, 'A'},
      {"&#;", kText, 0, 0},
      {"&#x;", kText, 0, 0},
      {"&#xZZ;", kText, 0, 0},
      {"&#128;", kText, 6, 0x20AC},        // 0x80-0x9F by their Windows-1252 meaning
      {"&#x92;", kText, 6, 0x2019},
      {"&#x81;", kText, 6, 0x81},          // undefined in Windows-1252: itself
      {"&#0;", kText, 4, 0xFFFD},
      {"&#xD800;", kText, 8, 0xFFFD},
      {"&#x110000;", kText, 10, 0xFFFD},
      {"&#99999999999999999999;", kText, 23, 0xFFFD},  // no overflow into a real character
      {"&#x1F600;", kText, 9, 0x1F600},
      {"&amp", kText, 4, '&'},             // the legacy names need no ";"
      {"&copy 2024", kText, 5, 0xA9},
      {"&copyright", kText, 5, 0xA9},      // nor an end: the longest one that starts the run
      {"&ltd", kText, 3, '<'},
      {"&hellip", kText, 0, 0},            // a newer name needs its ";"
      {"&hellip;", kText, 8, 0x2026},
      {"&unknown;", kText, 0, 0},
      {"&", kText, 0, 0},
      {"& b", kText, 0, 0},
      {"&copy=3", kAttr, 0, 0},            // a query parameter, not a character
      {"&copy2", kAttr, 0, 0},
      {"&copy;2", kAttr, 6, 0xA9},
      {"&amp b", kAttr, 4, '&'},
      {"&nbsp;", kText, 6, ' '},           // the blanks our text knows
      {"&emsp;", kText, 6, ' '},
      {"&#160;", kText, 6, ' '},
      {"&#x3000;", kText, 8, 0x3000},      // the full-width blank is a character of its own
      {"&zwnj;", kText, 6, 0},             // invisible: nothing
      {"&shy;", kText, 5, 0},
      {"&#xFEFF;", kText, 8, 0},
  };
  for (const Case& c : cases) {
    const CharRef ref = core::ReadCharRef(c.text, 0, c.context);
    EXPECT_EQ(ref.length, c.length) << c.text;
    EXPECT_EQ(ref.codePoint, c.length ? c.codePoint : 0) << c.text;
  }
  // A reference further on in the text, and one cut by the text's end.
  EXPECT_EQ(core::ReadCharRef("a&gt;b", 1, kText).length, 4u);
  EXPECT_EQ(core::ReadCharRef(std::string_view("&gt;", 3), 0, kAttr).length, 3u);
}

// The characters themselves are the HTML standard's, before our text folds
// the blanks.
TEST(CharRefs, NamedAndNumericCharacters) {
  const std::pair<const char*, char32_t> named[] = {
      {"emsp", 0x2003}, {"ensp", 0x2002}, {"thinsp", 0x2009}, {"nbsp", 0xA0},
      {"zwnj", 0x200C}, {"shy", 0xAD},    {"trade", 0x2122},  {"euro", 0x20AC},
      {"apos", '\''},   {"Prime", 0x2033}, {"prime", 0x2032}, {"AMP", '&'},
      {"Amp", 0},       {"", 0},           {"emsp;", 0},
  };
  for (const auto& [name, codePoint] : named) EXPECT_EQ(core::NamedRefCodePoint(name), codePoint) << name;
  const std::pair<unsigned long, char32_t> numeric[] = {
      {0x7F, 0x7F},     {0x80, 0x20AC}, {0x8D, 0x8D},     {0x9F, 0x178},      {0xA0, 0xA0},
      {0xDFFF, 0xFFFD}, {0xE000, 0xE000}, {0x10FFFF, 0x10FFFF}, {0x110000, 0xFFFD},
  };
  for (const auto& [value, codePoint] : numeric) {
    EXPECT_EQ(core::NumericRefCodePoint(value), codePoint) << value;
  }
}

}  // namespace
