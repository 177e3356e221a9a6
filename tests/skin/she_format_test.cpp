// The ".SHE" skin file reader and the colour adjustment of our skin engine.
#include "skin/she_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "skin/embedded.h"
#include "tests/skin/pe_image.h"

namespace {

using skin::SkinTheme;
using skin_test::Bytes;
using skin_test::Put16;
using skin_test::Put32;

struct Entry {
  std::uint16_t id, kind;
  std::uint32_t value;
};

Bytes She(const std::vector<Entry>& entries, std::uint16_t major = 1, std::uint16_t minor = 0,
          std::uint16_t headerSize = 16) {
  Bytes b = {'.', 'S', 'H', 'E'};
  Put16(b, 4, major);
  Put16(b, 6, minor);
  Put16(b, 8, headerSize);
  Put16(b, 10, std::uint16_t(entries.size()));
  Put32(b, 12, 0);
  b.resize(headerSize, 0);
  for (const Entry& e : entries) {
    const std::size_t at = b.size();
    Put16(b, at, e.id);
    Put16(b, at + 2, e.kind);
    Put32(b, at + 4, e.value);
  }
  return b;
}

constexpr Entry kRedWindow{0x0001, 1, 0x0000FF};
constexpr Entry kRadius5{0x0101, 2, 5};

TEST(SheFormat, GoodAndBadFiles) {
  struct Case {
    const char* what;
    Bytes file;
    bool good;
  };
  std::vector<Case> cases = {
      {"colour and metric", She({kRedWindow, kRadius5}), true},
      {"no entries", She({}), true},
      {"newer minor version", She({kRedWindow, kRadius5}, 1, 7), true},
      {"longer header", She({kRedWindow, kRadius5}, 1, 1, 24), true},
      {"unknown ids skipped", She({{0x0050, 9, 0xFFFFFFFF}, kRedWindow, kRadius5}), true},
      {"major version 2", She({kRedWindow}, 2), false},
      {"header size below 16", She({kRedWindow}, 1, 0, 12), false},
      {"colour given as metric", She({{0x0001, 2, 0x0000FF}}), false},
      {"colour with a high byte", She({{0x0001, 1, 0x010000FF}}), false},
      {"radius above 12", She({{0x0101, 2, 13}}), false},
      {"border width 0", She({{0x0102, 2, 0}}), false},
      {"negative metric", She({{0x0101, 2, 0xFFFFFFFF}}), false},
  };
  {
    Bytes b = She({kRedWindow, kRadius5});
    b[1] = 's';
    cases.push_back({"magic in another case", b, false});
  }
  {
    Bytes b = She({kRedWindow, kRadius5});
    b.pop_back();
    cases.push_back({"last entry cut", b, false});
  }
  {
    Bytes b = She({kRedWindow});
    Put16(b, 8, 0xFFFF);
    cases.push_back({"header past the end", b, false});
  }
  {
    Bytes b = She({kRedWindow});
    Put16(b, 10, 0xFFFF);
    cases.push_back({"count past the end", b, false});
  }
  {
    Bytes b = She({});
    b.pop_back();
    cases.push_back({"15 bytes", b, false});
  }

  for (const Case& c : cases) {
    SkinTheme theme = skin::DefaultSkinTheme();
    const SkinTheme before = theme;
    EXPECT_EQ(skin::ParseSkinFile(c.file.data(), std::uint32_t(c.file.size()), theme), c.good)
        << c.what;
    if (c.good) {
      const bool named = c.file.size() > 16;
      EXPECT_EQ(theme.colours[skin::kWindowBackground],
                named ? 0x0000FFu : before.colours[skin::kWindowBackground])
          << c.what;
      EXPECT_EQ(theme.colours[skin::kEditText], before.colours[skin::kEditText]) << c.what;
    } else {
      EXPECT_EQ(0, std::memcmp(&theme, &before, sizeof theme)) << c.what << ": theme changed";
    }
  }
  SkinTheme theme = skin::DefaultSkinTheme();
  EXPECT_FALSE(skin::ParseSkinFile(nullptr, 100, theme));
}

TEST(SheFormat, EmbeddedSkinNamesEveryColourAndMetric) {
  ASSERT_GE(skin::kSkinFileSize, 16u);
  EXPECT_EQ(0, std::memcmp(skin::kSkinFile, ".SHE", 4));
  EXPECT_EQ(skin::kSkinFileSize, 16u + 8u * (skin::kSkinColourCount + skin::kSkinMetricCount));
  // Two different starting points: every value the file names overwrites both.
  SkinTheme a = skin::DefaultSkinTheme(), b{};
  ASSERT_TRUE(skin::ParseSkinFile(skin::kSkinFile, skin::kSkinFileSize, a));
  ASSERT_TRUE(skin::ParseSkinFile(skin::kSkinFile, skin::kSkinFileSize, b));
  EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a));
  EXPECT_EQ(a.colours[skin::kWindowBackground], 0xF2E6DCu);  // DCE6F2 as COLORREF
  EXPECT_EQ(a.metrics[skin::kButtonCornerRadius], 3);
}

TEST(SheFormat, HueSaturationBrightness) {
  struct Case {
    const char* what;
    std::uint32_t colour;
    int hue, saturation, brightness;
    std::uint32_t expected;
  };
  // Colours are 0x00BBGGRR.
  const Case cases[] = {
      {"no adjustment keeps the exact colour", 0x123456, 0, 0, 0, 0x123456},
      {"red turned by 120 degrees is green", 0x0000FF, 120, 0, 0, 0x00FE00},
      {"red turned by -120 degrees is blue", 0x0000FF, -120, 0, 0, 0xFE0000},
      {"hue beyond 180 is clamped", 0x0000FF, 500, 0, 0, 0xFEFE00},
      {"saturation -100 gives grey", 0x0000FF, 0, -100, 0, 0x7F7F7F},
      {"brightness 100 gives white", 0x3C6EB4, 0, 0, 100, 0xFFFFFF},
      {"brightness -100 gives black", 0x3C6EB4, 0, 0, -100, 0x000000},
      {"brightness below -100 is clamped", 0xFFFFFF, 0, 0, -400, 0x000000},
      {"grey has no hue to turn", 0x808080, 90, 0, 0, 0x808080},
  };
  for (const Case& c : cases) {
    SkinTheme theme{};
    for (std::uint32_t& colour : theme.colours) colour = c.colour;
    skin::AdjustSkinTheme(theme, c.hue, c.saturation, c.brightness);
    EXPECT_EQ(theme.colours[0], c.expected) << c.what;
    EXPECT_EQ(theme.colours[skin::kSkinColourCount - 1], c.expected) << c.what;
  }
}

}  // namespace
