#include "hotwords/hot_keywords.h"

#include <set>

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

// The part of the page the keywords are read from.
Text Within(const Text& page, const sources::Cut& within) {
  if (within.left.empty()) return page;
  const size_t begin = page.find(within.left);
  if (begin == Text::npos) return Text();
  const size_t from = begin + within.left.size();
  const size_t end = within.right.empty() ? Text::npos : page.find(within.right, from);
  return page.substr(from, end == Text::npos ? Text::npos : end - from);
}

// A keyword as repeats are recognised: without blanks, ASCII letters lower case.
Text RepeatKey(const Text& keyword) {
  Text key;
  for (char c : keyword) {
    if (c == ' ' || c == '\t') continue;
    key += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
  }
  return key;
}

// Fetches one address of a hot list and reads its keywords (`list`), telling
// how it answered. False when the pass was stopped.
bool ReadHotAddress(const HarvestSetup& setup, const sources::HotPage& hotPage, const Text& history,
                    core::WindowOps& window, core::SafePoints& safePoints, Text& list,
                    int& matches, HotAnswer& outcome, FetchedPage& answer) {
  PageRequest request;
  request.url = hotPage.address;
  request.headers = hotPage.headers;
  request.charset = hotPage.charset;
  bool wall = false;
  answer = hotPage.visitor ? FetchWithVisitorCookie(request, setup.profile.visitor, setup.visitorCookie,
                                                    setup.fetch, safePoints, wall)
                           : setup.fetch(request);
  if (!safePoints.Checkpoint()) return false;
  matches = 0;
  list.clear();
  if (wall) {
    outcome = HotAnswer::kVisitorWall;
  } else if (setup.profile.sourceHealth && answer.status >= 400) {
    outcome = HotAnswer::kRefused;
  } else {
    list = KeywordsOfPage(answer.text, hotPage, history, window, safePoints, &matches);
    outcome = answer.text.empty() ? HotAnswer::kFailed
                                  : matches > 0 ? HotAnswer::kKeywords : HotAnswer::kNoKeywords;
  }
  return safePoints.Checkpoint();
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
  regex.Create(rules.keyword.text, Within(page, rules.within), rules.keyword.ignoreCase,
               rules.keyword.multiline, /*global=*/true);
  regex::Regex exclude;
  if (!rules.exclude.text.empty()) {
    exclude.Compile(rules.exclude.text, rules.exclude.ignoreCase, rules.exclude.multiline);
  }
  std::vector<std::int32_t> excluded;
  Text list;
  const int count = regex.MatchCount();
  int kept = 0;
  int skipped = 0;
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
    if (skipped < rules.skip) {
      ++skipped;
      continue;
    }
    ++kept;
    const bool filter = window.IsChecked(core::Control::选择框_过滤重复);
    if (filter && core::Find(history, keyword) != -1) continue;
    list += keyword;
    list += kLineSeparator;
  }
  const bool filtered = exclude.IsValid() || rules.unescape != sources::Unescape::kNone || rules.skip > 0;
  if (matches) *matches = filtered ? kept : count;
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

Text ShortAddress(const Text& url) {
  const size_t scheme = url.find("://");
  const Text rest = scheme == Text::npos ? url : url.substr(scheme + 3);
  return rest.substr(0, rest.find('?'));
}

Text HotAddressFailedLine(const Text& label, int address, const Text& url, HotAnswer answer, int status) {
  Text reason;
  switch (answer) {
    case HotAnswer::kVisitorWall: reason = "访客验证页"; break;
    case HotAnswer::kRefused: reason = "状态" + core::IntToText(status); break;
    case HotAnswer::kFailed: reason = "请求失败"; break;
    case HotAnswer::kNoKeywords:
    case HotAnswer::kKeywords: reason = "无关键词"; break;
  }
  return label + " 地址" + core::IntToText(address) + "失败（" + reason + "）：" + ShortAddress(url) +
         kLineSeparator;
}

Text HotFallbackLine(const Text& label, int address, const Text& url) {
  return label + "改用地址" + core::IntToText(address) + "：" + ShortAddress(url) + kLineSeparator;
}

Text HotListHealthLine(const HotListHealth& health) {
  const Text head = "热点榜 " + health.label + "：";
  if (health.address == 0) return head + "没有关键词（所有地址都失败）" + kLineSeparator;
  return head + "关键词" + core::IntToText(health.keywords) + "个（地址" + core::IntToText(health.address) +
         "）" + kLineSeparator;
}

Text UniqueKeywords(const Text& keywords) {
  core::TextArray kept;
  std::set<Text> seen;
  for (const Text& keyword : core::Split(keywords, kLineSeparator)) {
    if (seen.insert(RepeatKey(keyword)).second) kept.push_back(keyword);
  }
  return core::Join(kept, kLineSeparator);
}

int HarvestHotKeywords(const HarvestSetup& setup, core::WindowOps& window,
                       core::SafePoints& safePoints, Text& historyKeywords,
                       std::vector<HotListHealth>* health) {
  historyKeywords = ReadHistoryKeywords(setup.historyPath);
  const sources::Profile& profile = setup.profile;

  core::TextArray lists;
  int found = 0;
  for (const Text& name : profile.hotOrder) {
    const sources::HotList* hotList = sources::FindHotList(profile, name);
    if (!hotList) continue;
    HotListHealth outcome{hotList->label};
    Text keywords;
    for (size_t i = 0; i < hotList->addresses.size(); ++i) {
      const sources::HotPage& hotPage = hotList->addresses[i];
      const int number = int(i + 1);
      Text list;
      int matches = 0;
      HotAnswer answer = HotAnswer::kFailed;
      FetchedPage page;
      if (!ReadHotAddress(setup, hotPage, historyKeywords, window, safePoints, list, matches, answer,
                          page)) {
        return found;
      }
      if (!profile.sourceHealth) {
        // The original lines, one per page that gave nothing.
        if (answer == HotAnswer::kVisitorWall) {
          window.AppendText(core::Control::编辑框1, VisitorWallLogLine(hotPage.address));
        } else {
          ReportEmptyHotPage(window, hotPage.address, page.text, matches);
        }
        found += matches;
        if (answer == HotAnswer::kKeywords || answer == HotAnswer::kNoKeywords) keywords = list;
        if (answer == HotAnswer::kKeywords) {
          outcome = {hotList->label, matches, number};
          break;
        }
        continue;
      }
      if (answer != HotAnswer::kKeywords) {
        window.AppendText(core::Control::编辑框1,
                          HotAddressFailedLine(hotList->label, number, hotPage.address, answer, page.status));
        continue;
      }
      if (i > 0) window.AppendText(core::Control::编辑框1, HotFallbackLine(hotList->label, number, hotPage.address));
      found += matches;
      keywords = list;
      outcome = {hotList->label, matches, number};
      break;
    }
    lists.push_back(keywords);
    if (health) health->push_back(outcome);
  }

  const Text joined = JoinKeywordLists(lists);
  window.ReplaceText(core::Control::编辑框_热点关键词, profile.sourceHealth ? UniqueKeywords(joined) : joined);

  const Text grown =
      historyKeywords + kLineSeparator + window.ReadText(core::Control::编辑框_热点关键词);
  if (!safePoints.Checkpoint()) return found;
  core::ReplaceFileSafely(setup.historyPath, grown);
  return found;
}

}  // namespace hotwords
