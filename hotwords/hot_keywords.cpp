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
                    core::WindowOps& window, core::SafePoints& safePoints) {
  regex::RegexObject regex;
  regex.Create(pattern, page, /*caseSensitive=*/false, /*multiline=*/true, /*global=*/true);
  Text list;
  const int count = regex.MatchCount();
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
  const Text first = KeywordsOfPage(hotList, kHotListPattern, historyKeywords, window, safePoints);
  if (!safePoints.Checkpoint()) return;

  const Text hotSearch = fetch(plan.hotSearchUrl);
  if (!safePoints.Checkpoint()) return;
  const Text second =
      KeywordsOfPage(hotSearch, kHotSearchPattern, historyKeywords, window, safePoints);
  if (!safePoints.Checkpoint()) return;

  window.ReplaceText(core::Control::编辑框_热点关键词, JoinKeywordLists(first, second));

  const Text grown =
      historyKeywords + kLineSeparator + window.ReadText(core::Control::编辑框_热点关键词);
  if (!safePoints.Checkpoint()) return;
  core::ReplaceFileSafely(plan.historyPath, grown);
}

}  // namespace hotwords
