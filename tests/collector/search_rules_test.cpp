// The rules that pick a search result: relevance to the keyword, the site's
// article path, the block pickers, and the pacing of the engines.
#include <gtest/gtest.h>

#include <vector>

#include "collector/relevance.h"
#include "collector/result_page.h"
#include "collector/search_session.h"

namespace collector {
namespace {

TEST(Relevance, SharedPairsAndWordsDecide) {
  struct Case {
    const char* keyword;
    const char* text;
    int percent;
  };
  const Case cases[] = {
      // a hot keyword whose headline words it differently: 4 of 10 pairs
      {"故宫博物院讣告：耿宝昌逝世", "耿宝昌逝世，享年101岁", 40},
      // an unrelated page that shares only the year: 1 of 10 terms
      {"2026年广州天河区平均房价", "2026年_百度百科 2026年是星期四开始的平年", 10},
      {"2026年广州天河区平均房价", "天河区2026年平均房价走势", 60},
      // ASCII words in any letter case, whole words only
      {"iPhone 17 发布", "Apple 发布 IPHONE 17", 100},
      {"AI 芯片", "He said the chips", 0},
      {"R&B音乐节", "R&B音乐节官宣首批阵容", 100},
      // punctuation and full-width symbols only separate terms
      {"“两会”召开", "两会今日召开", 100},
      // nothing to judge by
      {"", "anything", 100},
      {"……", "anything", 100},
      // a pair's bytes across two characters of the text are no match:
      // the text is (C4 B0)(B0 B0)(B0 C4), the pair B0B0 B0B0
      {"\xB0\xB0\xB0\xB0", "\xC4\xB0\xB0\xB0\xB0\xC4", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RelevancePercent(c.keyword, c.text), c.percent) << c.keyword << " / " << c.text;
  }
  EXPECT_EQ(KeywordTerms("R&B音乐节 r"), (TextArray{"r", "b", "音乐", "乐节"}));
}

TEST(SiteArticles, HostAndPathMustBothFit) {
  const sources::NewsSite sohu{"www.sohu.com", "^/a/\\d+_\\d+"};
  struct Case {
    const char* link;
    bool article;
  };
  const Case cases[] = {
      {"https://www.sohu.com/a/434365209_100016582", true},
      {"http://www.sohu.com/a/1_2?spm=x#c", true},
      {"https://WWW.SOHU.COM:443/a/1_2", true},
      {"https://m.sohu.com/a/1_2", false},
      {"https://www.sohu.com/news/1.html", false},
      {"https://www.sohu.com/x/a/1_2", false},
      {"https://www.sohu.com/?/a/1_2", false},
      {"https://www.sohu.com", false},
      {"https://www.sohu.com.evil.cn/a/1_2", false},
      {"https://www.sohu.com@evil.cn/a/1_2", false},
      {"https://evil.cn/a/1_2?u=https://www.sohu.com/a/1_2", false},
      {"/a/1_2", false},
      {"ftp://www.sohu.com/a/1_2", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSiteArticle(c.link, sohu), c.article) << c.link;
  // Without a path pattern any page of the host counts; the site's port is
  // no part of the comparison.
  EXPECT_TRUE(IsSiteArticle("http://127.0.0.1:8080/news/1.html", {"127.0.0.1:9", ""}));
  EXPECT_FALSE(IsSiteArticle("http://127.0.0.2/news/1.html", {"127.0.0.1", ""}));
  // A site's other hosts serve its articles too, under the same pattern.
  const sources::NewsSite qq{"news.qq.com", "^/rain/a/\\d{8}[A-Z0-9]+", "", {"new.qq.com"}};
  EXPECT_TRUE(IsSiteArticle("https://new.qq.com/rain/a/20240518A060RN00", qq));
  EXPECT_TRUE(IsSiteArticle("https://news.qq.com/rain/a/20240518A060RN00", qq));
  EXPECT_FALSE(IsSiteArticle("https://new.qq.com/omn/20240518A060RN00", qq));
  EXPECT_FALSE(IsSiteArticle("https://view.inews.qq.com/rain/a/20240518A060RN00", qq));
}

TEST(ResultBlocks, PickersFollowTheSelectors) {
  sources::Engine engine;
  engine.block = "li.hit, div.old";
  engine.link = {"h2 a, [data-url]", "href"};
  engine.title = {"h2 a", ""};
  engine.snippet = {"p.desc", ""};
  struct Case {
    const char* what;
    const char* page;
    std::vector<SearchResult> results;
  };
  const Case cases[] = {
      {"class token among others, unquoted and empty attributes",
       "<ol><li data-id iid=X.1 class=\"a  hit\tb\"><h2><a href=\"https://x/1?a=1&amp;b=2\">One <b>two</b>\n"
       " three</a></h2><p class=\"desc\">s &amp; 1</p></li></ol>",
       {{"https://x/1?a=1&b=2", "One two three", "s & 1"}}},
      {"a class that only starts with the token is another class",
       "<li class=\"hits\"><h2><a href=\"https://x/1\">t</a></h2></li>", {}},
      {"the link in h2, not the breadcrumb before it",
       "<li class=\"hit\"><div><a href=\"https://crumb/\">c</a></div><h2><a href=\"https://x/2\">t</a></h2></li>",
       {{"https://x/2", "t", ""}}},
      {"a block without a link is left out; page order kept",
       "<li class=\"hit\"><h2>no link</h2></li><div class=\"old\"><h2><a href=\"https://x/3\">3</a></h2></div>"
       "<li class=\"hit\"><h2><a href=\"https://x/4\">4</a></h2></li>",
       {{"https://x/3", "3", ""}, {"https://x/4", "4", ""}}},
      {"a block inside a block belongs to the outer one",
       "<li class=\"hit\"><h2><a href=\"https://x/5\">5</a></h2><div class=\"old\"><h2><a href=\"https://x/6\">6</a>"
       "</h2></div></li>",
       {{"https://x/5", "5", ""}}},
      {"an unclosed block ends where its parent does",
       "<ul><li class=\"hit\"><h2><a href=\"https://x/7\">7</a></h2></ul><h2><a href=\"https://x/8\">8</a></h2>",
       {{"https://x/7", "7", ""}}},
  };
  for (const Case& c : cases) {
    const std::vector<SearchResult> got = ReadResults(c.page, engine);
    ASSERT_EQ(got.size(), c.results.size()) << c.what;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].link, c.results[i].link) << c.what;
      EXPECT_EQ(got[i].title, c.results[i].title) << c.what;
      EXPECT_EQ(got[i].snippet, c.results[i].snippet) << c.what;
    }
  }
}

// A clock that moves only when the session waits.
struct FakeClock {
  std::int64_t now = 1000000;
  std::vector<std::int64_t> waits;
  bool stopDuringWait = false;
  PassClock Clock() {
    return {[this] { return now; },
            [this](std::int64_t ms) {
              waits.push_back(ms);
              if (stopDuringWait) return false;
              now += ms;
              return true;
            }};
  }
};

TEST(SearchPacing, OneSearchPerEnginePerInterval) {
  FakeClock fake;
  SearchSession session(fake.Clock());
  EXPECT_TRUE(session.AwaitTurn("bing", 3));  // the first search waits for nothing
  EXPECT_TRUE(session.AwaitTurn("sogou", 3));  // nor does another engine's
  fake.now += 1000;
  EXPECT_TRUE(session.AwaitTurn("bing", 3));  // 1 s after the last: 2 s to go
  fake.now += 5000;
  EXPECT_TRUE(session.AwaitTurn("bing", 3));  // long enough ago
  EXPECT_TRUE(session.AwaitTurn("sogou", 0));  // no interval, no wait
  EXPECT_TRUE(session.AwaitTurn("sogou", 0));
  fake.now -= 60000;                          // a clock set back waits one interval at most
  EXPECT_TRUE(session.AwaitTurn("bing", 3));
  EXPECT_EQ(fake.waits, (std::vector<std::int64_t>{2000, 3000}));

  // A stop during the wait ends it; the engine was not asked.
  fake.stopDuringWait = true;
  EXPECT_FALSE(session.AwaitTurn("bing", 3));
  EXPECT_EQ(fake.waits.size(), 3u);
}

TEST(SearchPacing, RestingLastsForTheSession) {
  FakeClock fake;
  SearchSession session(fake.Clock());
  EXPECT_FALSE(session.IsResting("bing"));
  session.Rest("bing");
  EXPECT_TRUE(session.IsResting("bing"));
  EXPECT_FALSE(session.IsResting("sogou"));
  EXPECT_FALSE(SearchSession(fake.Clock()).IsResting("bing"));  // a new pass asks again
}

}  // namespace
}  // namespace collector
