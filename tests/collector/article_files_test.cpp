#include "collector/article_files.h"

#include <gtest/gtest.h>

#include "core/encoding.h"

namespace collector {
namespace {

TEST(ArticleFiles, LengthCheckIsStrictlyGreaterInBytes) {
  struct Case {
    Text body;
    int minimum;
    bool kept;
  };
  const Text thirtyChinese = [] {
    Text t;
    for (int i = 0; i < 30; ++i) t += "中";
    return t;
  }();
  const Case cases[] = {
      {Text(50, 'a'), 50, false},  // at the limit: dropped
      {Text(51, 'a'), 50, true},
      {thirtyChinese, 50, true},  // 60 bytes
      {"", -1, true},             // a negative minimum keeps even an empty body
      {"", 0, false},
      {"ab", 0, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsLongEnough(c.body, c.minimum), c.kept) << c.body.size() << " vs " << c.minimum;
  }
}

TEST(ArticleFiles, TitleModes) {
  EXPECT_EQ(FileTitle(TitleMode::kKeyword, "关键", "标题"), "关键");
  EXPECT_EQ(FileTitle(TitleMode::kKeywordAndTitle, "K", "T"), "K,T");
  EXPECT_EQ(FileTitle(TitleMode::kTitle, "关键", "标题"), "标题");
}

TEST(ArticleFiles, SafeFileTitleKeepsTextButNotForbiddenCharacters) {
  const Text folder = "C:\\run\\采集文章\\2026年12月6日21时2分13秒";
  struct Case {
    Text title;
    Text expected;
  };
  const Case cases[] = {
      {"普通标题", "普通标题"},
      {"a\\b/c:d*e?f\"g<h>i|j", "a＼b／c：d＊e？f＂g＜h＞i｜j"},
      {"..\\..\\outside", "..＼..＼outside"},  // cannot leave the folder
      {"tab\there\r\nline\x01", "tabhereline"},
      {"ends with dots...", "ends with dots"},
      {"ends with blanks . .", "ends with blanks"},
      {"...", ""},
      {"CON", "_CON"},
      {"nul.txt", "_nul.txt"},
      {"com1 .x", "_com1 .x"},
      {"COM10", "COM10"},
      {"CONSOLE", "CONSOLE"},
      // a backslash or bar byte that trails a lead byte belongs to its character
      {"昞|", "昞｜"},
      // a lead byte without a valid trail byte is dropped, the quote after it replaced
      {"\x95\"x", "＂x"},
      // 0x80 is the euro sign; 0x80 and 0xFF never take the byte after them
      {"\x80" "5", "\x80" "5"},
      {"\x80?\xFF\\\x81:", "\x80？＼："},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SafeFileTitle(c.title, folder), c.expected) << c.title;
  }
}

TEST(ArticleFiles, SafeFileTitleShortensToFitThePathAtCharacterBoundaries) {
  const Text folder = "C:\\out";  // 6 units; "\" and ".txt" add 5
  Text longTitle;
  for (int i = 0; i < 300; ++i) longTitle += "长";
  const Text safe = SafeFileTitle(longTitle, folder);
  EXPECT_EQ(core::Gb18030ToWide(ArticleFilePath(folder, safe)).size(), size_t(kMaxPathUnits));
  EXPECT_EQ(safe.size() % 2, 0u);
  EXPECT_EQ(safe, longTitle.substr(0, safe.size()));

  // A title that fits exactly is kept whole; one unit more loses its last character.
  const Text fits(kMaxPathUnits - 11, 'a');
  EXPECT_EQ(SafeFileTitle(fits, folder), fits);
  EXPECT_EQ(SafeFileTitle(fits + "b", folder), fits);

  // Shortening that leaves a trailing dot or blank cuts it too.
  const Text dotted = Text(kMaxPathUnits - 12, 'a') + ". b";
  EXPECT_EQ(SafeFileTitle(dotted, folder), Text(kMaxPathUnits - 12, 'a'));

  // A page may send a title of any size; it is cut to what fits.
  EXPECT_EQ(SafeFileTitle(Text(1 << 20, 'x'), folder), Text(kMaxPathUnits - 11, 'x'));

  // A folder so long that nothing fits leaves an empty title (the write then fails).
  EXPECT_EQ(SafeFileTitle("标题", "C:\\" + Text(300, 'f')), "");
}

TEST(ArticleFiles, PathAndLogLines) {
  EXPECT_EQ(ArticleFilePath("C:\\out", "K,T"), "C:\\out\\K,T.txt");
  EXPECT_EQ(SavedLogLine("标题"), "标题====采集完成！\r\n");
  EXPECT_EQ(SaveFailedLogLine("标题"), "标题====保存失败！\r\n");
}

}  // namespace
}  // namespace collector
