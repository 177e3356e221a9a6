#include "hotwords/hot_keywords.h"

#include "core/file_system.h"
#include "hotwords/blank_lines.h"
#include "regex/regex_object.h"

namespace hotwords {
namespace {

constexpr char kLineSeparator[] = "\r\n";

}  // namespace

Text ReadHistoryKeywords(const Text& historyPath) {
  std::string content;
  if (!core::ReadWholeFile(historyPath, content)) return Text();
  return core::TextFromBytes(content);
}

Text KeywordsOfPage(const Text& page, const Text& pattern, const Text& history,
                    core::WindowOps& window, core::SafePoints& safePoints, int* matches) {
  regex::RegexObject regex;
  regex.Create(pattern, page, /*caseSensitive=*/false, /*multiline=*/true, /*global=*/true);
  Text list;
  const int count = regex.MatchCount();
  if (matches) *matches = count;
  for (int match = 1; match <= count; ++match) {
    if (!safePoints.Checkpoint()) break;
    const bool filter = window.IsChecked(core::Control::选择框_过滤重复);
    const Text keyword = regex.SubMatchText(match, 1);
    if (filter && core::Find(history, keyword) != -1) continue;
    list += keyword;
    list += kLineSeparator;
  }
  return list;
}

void ReportEmptyHotPage(core::WindowOps& window, const Text& url, const Text& page, int matches) {
  if (page.empty()) {
    window.AppendText(core::Control::编辑框1, "热点页面获取失败：" + url + kLineSeparator);
  } else if (matches == 0) {
    window.AppendText(core::Control::编辑框1, "热点页面无关键词：" + url + kLineSeparator);
  }
}

Text JoinKeywordLists(const Text& first, const Text& second) {
  Text joined = RemoveBlankLines(first + kLineSeparator + second);
  if (!joined.empty() && joined.back() == '\r') joined.pop_back();
  return joined;
}

void HarvestHotKeywords(const HarvestPlan& plan, const PageFetch& fetch, core::WindowOps& window,
                        core::SafePoints& safePoints, Text& historyKeywords) {
  historyKeywords = ReadHistoryKeywords(plan.historyPath);

  const Text hotList = fetch(plan.hotListUrl);
  if (!safePoints.Checkpoint()) return;
  int matches = 0;
  const Text first =
      KeywordsOfPage(hotList, kHotListPattern, historyKeywords, window, safePoints, &matches);
  if (!safePoints.Checkpoint()) return;
  ReportEmptyHotPage(window, plan.hotListUrl, hotList, matches);

  const Text hotSearch = fetch(plan.hotSearchUrl);
  if (!safePoints.Checkpoint()) return;
  const Text second =
      KeywordsOfPage(hotSearch, kHotSearchPattern, historyKeywords, window, safePoints, &matches);
  if (!safePoints.Checkpoint()) return;
  ReportEmptyHotPage(window, plan.hotSearchUrl, hotSearch, matches);

  window.ReplaceText(core::Control::编辑框_热点关键词, JoinKeywordLists(first, second));

  const Text grown =
      historyKeywords + kLineSeparator + window.ReadText(core::Control::编辑框_热点关键词);
  if (!safePoints.Checkpoint()) return;
  core::ReplaceFileSafely(plan.historyPath, grown);
}

}  // namespace hotwords
