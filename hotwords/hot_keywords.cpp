#include "hotwords/hot_keywords.h"

#include "core/file_system.h"
#include "core/blank_lines.h"
#include "regex/regex.h"
#include "regex/regex_object.h"

namespace hotwords {
namespace {

constexpr char kLineSeparator[] = "\r\n";

// An unescaped keyword may hold line breaks and tabs; it becomes one line.
Text OneLine(const Text& keyword) {
  Text line = keyword;
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return core::Trim(line);
}

}  // namespace

Text ReadHistoryKeywords(const Text& historyPath) {
  std::string content;
  if (!core::ReadWholeFile(historyPath, content)) return Text();
  return core::TextFromBytes(content);
}

Text KeywordsOfPage(const Text& page, const sources::HotPage& rules, const Text& history,
                    core::WindowOps& window, core::SafePoints& safePoints, int* matches) {
  regex::RegexObject regex;
  regex.Create(rules.keyword.text, page, rules.keyword.ignoreCase, rules.keyword.multiline,
               /*global=*/true);
  regex::Regex exclude;
  if (!rules.exclude.text.empty()) {
    exclude.Compile(rules.exclude.text, rules.exclude.ignoreCase, rules.exclude.multiline);
  }
  std::vector<std::int32_t> excluded;
  Text list;
  const int count = regex.MatchCount();
  int kept = 0;
  for (int match = 1; match <= count; ++match) {
    if (!safePoints.Checkpoint()) break;
    if (exclude.IsValid()) {
      excluded.clear();
      exclude.Execute(regex.MatchText(match), /*global=*/false, excluded);
      if (!excluded.empty()) continue;
    }
    Text keyword = regex.SubMatchText(match, rules.keyword.submatch);
    if (rules.unescape != sources::Unescape::kNone) {
      keyword = OneLine(sources::Unescaped(keyword, rules.unescape));
      if (keyword.empty()) continue;
    }
    ++kept;
    const bool filter = window.IsChecked(core::Control::选择框_过滤重复);
    if (filter && core::Find(history, keyword) != -1) continue;
    list += keyword;
    list += kLineSeparator;
  }
  if (matches) *matches = exclude.IsValid() || rules.unescape != sources::Unescape::kNone ? kept : count;
  return list;
}

void ReportEmptyHotPage(core::WindowOps& window, const Text& url, const Text& page, int matches) {
  if (page.empty()) {
    window.AppendText(core::Control::编辑框1, "热点页面获取失败：" + url + kLineSeparator);
  } else if (matches == 0) {
    window.AppendText(core::Control::编辑框1, "热点页面无关键词：" + url + kLineSeparator);
  }
}

Text JoinKeywordLists(const core::TextArray& lists) {
  Text joined = core::RemoveBlankLines(core::Join(lists, kLineSeparator));
  if (!joined.empty() && joined.back() == '\r') joined.pop_back();
  return joined;
}

Text VisitorWallLogLine(const Text& url) {
  return "热点页面为访客验证页：" + url + kLineSeparator;
}

int HarvestHotKeywords(const HarvestSetup& setup, core::WindowOps& window,
                       core::SafePoints& safePoints, Text& historyKeywords) {
  historyKeywords = ReadHistoryKeywords(setup.historyPath);

  core::TextArray lists;
  int found = 0;
  for (const sources::HotPage& hotPage : setup.profile.hotPages) {
    PageRequest request;
    request.url = hotPage.address;
    request.headers = hotPage.headers;
    request.charset = hotPage.charset;
    bool wall = false;
    const Text page =
        hotPage.visitor ? FetchWithVisitorCookie(request, setup.profile.visitor, setup.visitorCookie,
                                                 setup.fetch, safePoints, wall)
                              .text
                        : setup.fetch(request).text;
    if (!safePoints.Checkpoint()) return found;
    int matches = 0;
    lists.push_back(wall ? Text()
                         : KeywordsOfPage(page, hotPage, historyKeywords, window, safePoints,
                                          &matches));
    if (!safePoints.Checkpoint()) return found;
    if (wall) {
      window.AppendText(core::Control::编辑框1, VisitorWallLogLine(hotPage.address));
    } else {
      ReportEmptyHotPage(window, hotPage.address, page, matches);
    }
    found += matches;
  }

  window.ReplaceText(core::Control::编辑框_热点关键词, JoinKeywordLists(lists));

  const Text grown =
      historyKeywords + kLineSeparator + window.ReadText(core::Control::编辑框_热点关键词);
  if (!safePoints.Checkpoint()) return found;
  core::ReplaceFileSafely(setup.historyPath, grown);
  return found;
}

}  // namespace hotwords
