#include "hotwords/hot_keywords.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/file_system.h"
#include "tests/app/fake_window.h"

namespace {

using core::Control;
using core::Text;
using testing_support::CountingSafePoints;
using testing_support::FakeWindow;

constexpr char kListUrl[] = "http://list.test/buzz?b=1&fr=20811";
constexpr char kSearchUrl[] = "https://search.test/top/summary?Refer=top_hot&topnav=1&wvr=6";

// Hot-list and hot-search pages in the markup the patterns expect.
Text HotListPage(const core::TextArray& keywords) {
  Text page = "<html><body><table>\r\n";
  for (const auto& k : keywords) {
    page += "<tr><td><a class=\"list-title\" target=\"_blank\" href_top=\"./detail?b=1&w=" + k +
            "\">" + k + "</a></td></tr>\r\n";
  }
  return page + "</table></body></html>";
}

Text HotSearchPage(const core::TextArray& keywords) {
  Text page = "<div id=\"pl_top_realtimehot\"><table>\n";
  for (const auto& k : keywords) {
    page += "<td class=\"td-02\"><a href=\"/weibo?q=%23" + k + "%23&Refer=top\" target=\"_blank\">" +
            k + "</a></td>\n";
  }
  return page + "</table></div>";
}

class HarvestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("hotwords_test_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    historyPath_ = dir_.string() + "/history.txt";
    profile_.hotLists[0].addresses[0].address = kListUrl;
    profile_.hotLists[1].addresses[0].address = kSearchUrl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void WriteHistory(const std::string& bytes) {
    std::ofstream(historyPath_, std::ios::binary) << bytes;
  }
  std::string History() {
    std::string content;
    core::ReadWholeFile(historyPath_, content);
    return content;
  }
  // The classic profile's hot pages at the test addresses, answering `list`
  // and `search`.
  void Harvest(const Text& list, const Text& search, FakeWindow& window,
               CountingSafePoints& safePoints, Text& historyKeywords) {
    const hotwords::HarvestSetup setup{
        profile_, historyPath_,
        [this, list, search](const hotwords::PageRequest& request) {
          fetched_.push_back(request.url);
          const Text& url = request.url;
          return hotwords::FetchedPage{url == kListUrl ? list : url == kSearchUrl ? search : Text(),
                                       200};
        },
        visitorCookie_};
    hotwords::HarvestHotKeywords(setup, window, safePoints, historyKeywords);
  }

  std::filesystem::path dir_;
  Text historyPath_;
  sources::Profile profile_ = sources::Classic();
  hotwords::VisitorCookie visitorCookie_;
  core::TextArray fetched_;
};

TEST(JoinKeywordLists, NoEmptyLineAndNoStrayBreak) {
  struct Case {
    Text first;
    Text second;
    const char* joined;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", "c\r\nd\r\n", "a\r\nb\r\nc\r\nd"},
      {"", "c\r\nd\r\n", "c\r\nd"},
      {"a\r\nb\r\n", "", "a\r\nb"},  // no CR left behind on the last keyword
      {"a\r\n", "", "a"},
      {"", "", ""},
      {"a\r\n\r\n", "c\r\n", "a\r\nc"},  // an empty keyword leaves no empty line
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hotwords::JoinKeywordLists({c.first, c.second}), c.joined) << c.first << "|" << c.second;
  }
}

TEST_F(HarvestTest, ListsBoxAndHistoryBytes) {
  struct Case {
    const char* name;
    Text history;  // "" and absent: no file
    bool fileExists;
    bool filter;
    Text listPage;
    Text searchPage;
    Text box;
    Text file;
  };
  const Text list2 = HotListPage({"甲事件", "乙新闻"});
  const Text search2 = HotSearchPage({"丙话题", "甲事件"});
  const Case cases[] = {
      {"filter off, both pages; the same keyword twice stays twice", "", false, false, list2,
       search2, "甲事件\r\n乙新闻\r\n丙话题\r\n甲事件", "\r\n甲事件\r\n乙新闻\r\n丙话题\r\n甲事件"},
      {"filter on with an empty history filters nothing", "", true, true, list2, search2,
       "甲事件\r\n乙新闻\r\n丙话题\r\n甲事件", "\r\n甲事件\r\n乙新闻\r\n丙话题\r\n甲事件"},
      {"substring and case rules", "ABC\r\nold", true, true,
       HotListPage({"AB", "abc", "new"}), HotSearchPage({"ol", "BC", "xyz"}), "abc\r\nnew\r\nxyz",
       "ABC\r\nold\r\nabc\r\nnew\r\nxyz"},
      {"filter off keeps known keywords", "ABC", true, false, HotListPage({"AB"}), "", "AB",
       "ABC\r\nAB"},
      {"first page without a match: no empty first line", "h", true, false, "<html>nothing</html>",
       HotSearchPage({"x", "y"}), "x\r\ny", "h\r\nx\r\ny"},
      {"second page without a match: no empty last line", "h", true, false, HotListPage({"x"}),
       "", "x", "h\r\nx"},
      {"no keyword at all: the file grows by a line break", "h", true, false, "", "", "", "h\r\n"},
      {"missing file and no keyword", "", false, false, "", "", "", "\r\n"},
      {"a history with a zero byte counts up to it", std::string("AB\0CD", 5), true, true,
       HotListPage({"CD", "AB"}), "", "CD", "AB\r\nCD"},
      {"the patterns ignore letter case", "", false, false,
       "<A HREF_TOP=x>大写</A>", "<A HREF=\"/WEIBO?Q=1\" TARGET=\"_BLANK\">K</A>", "大写\r\nK",
       "\r\n大写\r\nK"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(historyPath_);
    if (c.fileExists) WriteHistory(c.history);
    FakeWindow window;
    window.SetChecked(Control::选择框_过滤重复, c.filter);
    window.Set(Control::编辑框_热点关键词, "previous list");
    CountingSafePoints safePoints;
    Text historyKeywords = "stale";
    fetched_.clear();
    Harvest(c.listPage, c.searchPage, window, safePoints, historyKeywords);
    EXPECT_EQ(fetched_, (core::TextArray{kListUrl, kSearchUrl}));
    EXPECT_EQ(window.Get(Control::编辑框_热点关键词), c.box);
    EXPECT_EQ(History(), c.file);
    // The in-memory history is the file as it was before this harvest.
    EXPECT_EQ(historyKeywords, core::TextFromBytes(c.fileExists ? c.history : Text()));
  }
}

// A hot page that came back empty or without a keyword leaves one log line
// naming it; a page with keywords (even all filtered out) leaves none.
TEST_F(HarvestTest, EmptyHotPagesAreNamedInTheLog) {
  struct Case {
    const char* name;
    Text listPage;
    Text searchPage;
    bool filter;
    Text log;
  };
  const Text failedList = Text("热点页面获取失败：") + kListUrl + "\r\n";
  const Text failedSearch = Text("热点页面获取失败：") + kSearchUrl + "\r\n";
  const Case cases[] = {
      {"both pages fine", HotListPage({"甲"}), HotSearchPage({"乙"}), false, ""},
      {"both empty", "", "", false, failedList + failedSearch},
      {"list without a match, search empty", "<html>改版了</html>", "", false,
       Text("热点页面无关键词：") + kListUrl + "\r\n" + failedSearch},
      {"search without a match", HotListPage({"甲"}), "<html></html>", false,
       Text("热点页面无关键词：") + kSearchUrl + "\r\n"},
      {"every keyword filtered out is not an empty page", HotListPage({"旧"}),
       HotSearchPage({"旧"}), true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteHistory("旧");
    FakeWindow window;
    window.SetChecked(Control::选择框_过滤重复, c.filter);
    CountingSafePoints safePoints;
    Text historyKeywords;
    Harvest(c.listPage, c.searchPage, window, safePoints, historyKeywords);
    EXPECT_EQ(window.Get(Control::编辑框1), c.log);
  }
}

// The filter box is read for every keyword: ticking it half-way changes the
// decision from the next keyword on.
TEST_F(HarvestTest, FilterBoxIsReadAfreshPerKeyword) {
  WriteHistory("a\r\nb\r\nc");
  FakeWindow window;
  int reads = 0;
  window.OnIsChecked([&](Control c, std::map<Control, bool>& checked) {
    if (c == Control::选择框_过滤重复 && ++reads == 2) checked[c] = true;
  });
  CountingSafePoints safePoints;
  Text history;
  Harvest(HotListPage({"a", "b", "c", "d"}), "", window, safePoints, history);
  EXPECT_EQ(window.Get(Control::编辑框_热点关键词), "a\r\nd");
  EXPECT_EQ(window.CheckReads(Control::选择框_过滤重复), 4);
}

// A stop ends the harvest at its next safe point: before the lists are
// complete the box and the history file stay as they were; at the last safe
// point, before the file is written, only the box has its new list.
TEST_F(HarvestTest, StoppedHarvestChangesNothing) {
  for (int stopAt = 0; stopAt < 8; ++stopAt) {
    SCOPED_TRACE(stopAt);
    WriteHistory("old");
    FakeWindow window;
    window.Set(Control::编辑框_热点关键词, "previous list");
    CountingSafePoints safePoints(stopAt);
    Text history;
    Harvest(HotListPage({"x", "y"}), HotSearchPage({"z"}), window, safePoints, history);
    EXPECT_EQ(window.Get(Control::编辑框_热点关键词), stopAt < 7 ? "previous list" : "x\r\ny\r\nz");
    EXPECT_EQ(History(), "old");
  }
}

// A history file that cannot be rewritten stays whole (its replacement is
// written beside it first, and here that cannot even be created).
TEST_F(HarvestTest, FailedHistoryWriteKeepsTheOldFile) {
  WriteHistory("old\r\nkeywords");
  std::filesystem::create_directories(historyPath_ + ".tmp/blocker");
  FakeWindow window;
  CountingSafePoints safePoints;
  Text history;
  Harvest(HotListPage({"new"}), "", window, safePoints, history);
  EXPECT_EQ(window.Get(Control::编辑框_热点关键词), "new");
  EXPECT_EQ(History(), "old\r\nkeywords");
}

}  // namespace
