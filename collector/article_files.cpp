#include "collector/article_files.h"

#include <array>
#include <string_view>

#include "core/encoding.h"

namespace collector {
namespace {

// Characters Windows forbids in file names, and the full-width forms that
// take their place so the title still reads the same.
struct Substitute {
  char ascii;
  std::string_view fullWidth;
};
constexpr std::array<Substitute, 9> kSubstitutes{{
    {'\\', "＼"},
    {'/', "／"},
    {':', "："},
    {'*', "＊"},
    {'?', "？"},
    {'"', "＂"},
    {'<', "＜"},
    {'>', "＞"},
    {'|', "｜"},
}};

constexpr std::array<std::string_view, 22> kReservedNames{
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

// Drops the last character (never part of one of several bytes).
void DropLastChar(Text& text) {
  size_t i = 0, last = 0;
  while (i < text.size()) {
    last = i;
    i += core::CharLengthAt(text, i);
  }
  text.resize(last);
}

// Windows strips trailing dots and blanks from a name, so "a." and "a"
// would be the same file; cut them here so the name is what is written.
void CutTrailingDotsAndBlanks(Text& text) {
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) {
    // A trailing byte that is the second byte of a double-byte character is
    // not a dot or blank (trail bytes are 0x40 and above).
    text.pop_back();
  }
}

// "CON", "con.abc" or "Com1 .x": the part before the first dot, without
// trailing blanks, is a device name whatever follows it.
bool IsReservedName(const Text& title) {
  Text stem = title.substr(0, title.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  const Text upper = core::ToUpperAscii(stem);
  for (const auto name : kReservedNames) {
    if (upper == name) return true;
  }
  return false;
}

int PathUnits(const Text& outputFolder, const Text& fileTitle) {
  return int(core::Gb18030ToWide(ArticleFilePath(outputFolder, fileTitle)).size());
}

}  // namespace

bool IsLongEnough(const Text& body, int minimumLength) {
  return static_cast<long long>(body.size()) > minimumLength;
}

Text FileTitle(TitleMode mode, const Text& keyword, const Text& title) {
  switch (mode) {
    case TitleMode::kKeyword:
      return keyword;
    case TitleMode::kKeywordAndTitle:
      return keyword + "," + title;
    case TitleMode::kTitle:
      break;
  }
  return title;
}

Text SafeFileTitle(const Text& title, const Text& outputFolder) {
  Text safe;
  safe.reserve(title.size());
  for (size_t i = 0; i < title.size();) {
    const unsigned char c = title[i];
    const size_t n = core::CharLengthAt(title, i);
    if (n > 1) {
      safe.append(title, i, n);
    } else if (c == 0x80) {
      safe.push_back(char(c));  // the euro sign
    } else if (c > 0x80) {
      // A lead byte without the rest of a character names none: it is
      // dropped, and the byte after it is judged on its own.
    } else if (c >= 0x20) {
      bool replaced = false;
      for (const auto& s : kSubstitutes) {
        if (s.ascii == char(c)) {
          safe.append(s.fullWidth);
          replaced = true;
          break;
        }
      }
      if (!replaced) safe.push_back(char(c));
    }
    // control bytes are dropped
    i += n;
  }
  // Every character is at least one UTF-16 unit, so no more characters than
  // the path allows can fit; cutting there first keeps the shortening below short
  // even for a page that sends a huge title.
  size_t chars = 0, end = 0;
  while (end < safe.size() && chars < size_t(kMaxPathUnits)) {
    end += core::CharLengthAt(safe, end);
    ++chars;
  }
  safe.resize(end);
  CutTrailingDotsAndBlanks(safe);
  // Shorten first, then prefix: a shortened title may have become a device
  // name, and the prefix may push it over the limit again.
  for (;;) {
    while (!safe.empty() && PathUnits(outputFolder, safe) > kMaxPathUnits) {
      DropLastChar(safe);
      CutTrailingDotsAndBlanks(safe);
    }
    if (!IsReservedName(safe)) break;
    safe.insert(0, "_");
    if (PathUnits(outputFolder, safe) <= kMaxPathUnits) break;
    safe.erase(0, 1);
    DropLastChar(safe);
    CutTrailingDotsAndBlanks(safe);
  }
  return safe;
}

Text ArticleFilePath(const Text& outputFolder, const Text& fileTitle) {
  return outputFolder + "\\" + fileTitle + ".txt";
}

Text SavedLogLine(const Text& fileTitle) { return fileTitle + "====采集完成！\r\n"; }

Text SaveFailedLogLine(const Text& fileTitle) { return fileTitle + "====保存失败！\r\n"; }

}  // namespace collector
