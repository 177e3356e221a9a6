// The hot keywords of a pass: each hot list read from its first address that
// yields keywords, the keywords pulled out by pattern, optionally filtered
// against the history file, shown in the keyword box, and added to the
// history file.
#pragma once

#include <functional>
#include <vector>

#include "core/safe_points.h"
#include "core/text.h"
#include "core/window_ops.h"
#include "hotwords/page_request.h"
#include "hotwords/visitor_cookie.h"
#include "sources/profile.h"

namespace hotwords {

using core::Text;

// Beside the executable; keywords separated by "\r\n", GBK, only ever grown.
inline constexpr char kHistoryFileName[] = "\\历史关键词库.txt";

// A harvest by a profile's hot pages.
struct HarvestSetup {
  const sources::Profile& profile;
  Text historyPath;  // the program's directory + kHistoryFileName
  RequestFetch fetch;
  VisitorCookie& visitorCookie;  // for the pages that want it
};

// The history file's text up to its first zero byte; empty when it is
// missing or unreadable.
Text ReadHistoryKeywords(const Text& historyPath);

// The keywords of one page by a hot page's rules (the part of the page they
// are read from, its pattern, options and submatch), each followed by "\r\n". A match the exclude pattern finds
// something in is left out (and not counted); an unescaped keyword has its
// control characters made blanks and is trimmed, and is left out when nothing
// remains. The filter box is read afresh for every keyword; when it is ticked
// a keyword that occurs anywhere in `history` (as bytes, case and all) is
// left out. The first `skip` keywords kept are left out too. Stops early,
// with what it has, when the pass is stopped. `matches`, when given,
// receives the number of matches before the history filter.
Text KeywordsOfPage(const Text& page, const sources::HotPage& rules, const Text& history,
                    core::WindowOps& window, core::SafePoints& safePoints, int* matches = nullptr);

// One log line when a hot page gave nothing, so a pass without keywords says
// why: "热点页面获取失败：" + address when the page came back empty,
// "热点页面无关键词：" + address when no keyword matched on it.
void ReportEmptyHotPage(core::WindowOps& window, const Text& url, const Text& page, int matches);

// The box's list from the pages' lists (each keyword followed by "\r\n"):
// joined by "\r\n", with every empty line removed. When the last list is
// empty the blank-line removal leaves the last keyword with a stray "\r" (it
// takes the LF of the final CR LF); that CR is dropped as well, or the pass
// would search for it and the history would keep it.
Text JoinKeywordLists(const core::TextArray& lists);

// "热点页面为访客验证页：" + address.
Text VisitorWallLogLine(const Text& url);

// How one address of a hot list answered.
enum class HotAnswer {
  kKeywords,     // it gave keywords
  kVisitorWall,  // still the visitor page after the cookie's renewal
  kRefused,      // a status of 400 or more
  kFailed,       // no answer, or an empty one
  kNoKeywords,   // an answer without a keyword
};

// What a hot list gave in a pass, for the log's health lines.
struct HotListHealth {
  Text label;
  int keywords = 0;  // before the history filter
  int address = 0;   // the address they came from, 1 for the first; 0 when none gave any
};

// An address as the log names it: host and path, without scheme or query.
Text ShortAddress(const Text& url);

// "微博热搜 地址1失败（访客验证页）：s.weibo.com/top/summary\r\n"
Text HotAddressFailedLine(const Text& label, int address, const Text& url, HotAnswer answer, int status);

// "微博热搜改用地址3：m.weibo.cn/api/container/getIndex\r\n"
Text HotFallbackLine(const Text& label, int address, const Text& url);

// "热点榜 微博热搜：关键词51个（地址3）\r\n", or "...：没有关键词（所有地址都失败）".
Text HotListHealthLine(const HotListHealth& health);

// The keywords (lines) with each repeat left out, the first kept: two
// keywords are the same when they differ only in blanks or in the case of
// ASCII letters, as the lists of different sites write one topic.
Text UniqueKeywords(const Text& keywords);

// The whole harvest over the profile's hot lists, in order, each from its
// addresses in turn until one gives keywords. `historyKeywords` is reloaded
// from the file first and stays the state before this harvest. A page that
// wants the visitor cookie is fetched with it; one that is still the visitor
// page after the renewal gives no keyword. With the profile's source health
// an answer of status 400 or more fails as well, each failed address gets a
// log line naming its list, a later address that is used gets one, and a
// keyword two lists share is listed once; without it each page that gave
// nothing gets the original lines. The history file is replaced through a temporary file, so a
// failed write leaves the old one whole. A stopped pass returns at its next
// safe point without touching the box or the file. Returns the number of
// keywords the pages gave before the history filter; `health`, when given,
// receives each list's outcome.
int HarvestHotKeywords(const HarvestSetup& setup, core::WindowOps& window,
                       core::SafePoints& safePoints, Text& historyKeywords,
                       std::vector<HotListHealth>* health = nullptr);

}  // namespace hotwords
