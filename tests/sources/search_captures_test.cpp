// Each engine's rules of the current profile on real result and verification
// pages served to programs in 2026: how many results they read, which link
// is the first of a given site, and which pages ask for a person.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "collector/article_choice.h"
#include "collector/relevance.h"
#include "collector/result_page.h"
#include "core/encoding.h"
#include "sources/profile.h"

namespace {

using collector::SearchAnswer;
using collector::SearchResult;
using core::Text;

// A capture as the program's GBK text.
Text Serp(const char* name) {
  std::ifstream in(std::string(HOT_CAPTURES_DIR) + "serp/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  EXPECT_FALSE(bytes.str().empty()) << name;
  return core::Utf8ToGbk(bytes.str());
}

const sources::Engine& EngineNamed(const char* name) {
  const sources::Engine* engine = sources::FindEngine(sources::Current().search, name);
  EXPECT_NE(engine, nullptr) << name;
  return *engine;
}

// The first result on the site (any path), "" when none.
Text FirstOnSite(const std::vector<SearchResult>& results, const Text& host) {
  for (const SearchResult& r : results) {
    if (collector::IsSiteArticle(r.link, {host, ""})) return r.link;
  }
  return Text();
}

TEST(SearchCaptures, ResultPagesReadBlockByBlock) {
  struct Case {
    const char* file;
    const char* engine;
    size_t count;
    const char* site;       // whose first result is checked
    const char* firstLink;  // that result's link
    const char* firstTitle;
  };
  const Case cases[] = {
      // direct links; a removal notice and the pager are not results
      {"bing_cn_zh-CN_unrelated-results_2026-08-20.html", "bing", 10, "news.qq.com",
       "https://news.qq.com/rain/a/20251231A04Z6M00", "2026年大事、要事、重要节日一览表（附放假安排）"},
      // every link wrapped as ck/a?...&u=a1<base64url>; a breadcrumb link first in each block
      {"bing_www_wrapped-links_2026-04-04.html", "bing", 10, "support.w3schools.com",
       "https://support.w3schools.com/hc/en-gb/articles/4410407881489-Tutorial-Learn-JavaScript",
       "Tutorial: Learn JavaScript - W3Schools.com"},
      // the target in the block's data-url, not in the /link?url= of the title
      {"sogou_web_results-EXCERPT_2026-09-21.html", "sogou", 8, "m.mingyihui.net",
       "https://m.mingyihui.net/yiyuan/jb_ShenZhongDu_PanLongQu.html", nullptr},
      // the target in the title link's data-mdurl
      {"so360_result-block-TRIMMED_2026-08-17.html", "so360", 1, "news.xjtu.edu.cn",
       "http://news.xjtu.edu.cn/", "西安交通大学新闻网"},
      // another engine's page gives this engine nothing
      {"sogou_web_results-EXCERPT_2026-09-21.html", "bing", 0, "www.sohu.com", "", nullptr},
      {"so360_verification-page_2026-09-21.html", "so360", 0, "www.so.com", "", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " / " + c.engine);
    const std::vector<SearchResult> results = collector::ReadResults(Serp(c.file), EngineNamed(c.engine));
    EXPECT_EQ(results.size(), c.count);
    EXPECT_EQ(FirstOnSite(results, c.site), c.firstLink);
    for (const SearchResult& r : results) {
      EXPECT_TRUE(core::StartsWith(r.link, "http://") || core::StartsWith(r.link, "https://")) << r.link;
      EXPECT_EQ(r.link.find("/ck/a?"), Text::npos) << r.link;
      EXPECT_EQ(r.link.find("/link?"), Text::npos) << r.link;
      EXPECT_FALSE(r.title.empty()) << r.link;
      EXPECT_FALSE(r.snippet.empty()) << r.link;
      EXPECT_EQ(r.title.find('<'), Text::npos) << r.title;
    }
    if (c.firstTitle) {
      for (const SearchResult& r : results) {
        if (r.link == c.firstLink) {
          EXPECT_EQ(r.title, c.firstTitle);
        }
      }
    }
  }
}

// Bing answers a query it has nothing for with pages that merely share
// "2026年": every one of them falls below the relevance the profile asks.
TEST(SearchCaptures, UnrelatedAnswerIsRejected) {
  const Text keyword = "2026年广州天河区平均房价";
  const std::vector<SearchResult> results = collector::ReadResults(
      Serp("bing_cn_zh-CN_unrelated-results_2026-08-20.html"), EngineNamed("bing"));
  ASSERT_EQ(results.size(), 10u);
  for (const SearchResult& r : results) {
    EXPECT_LT(collector::RelevancePercent(keyword, r.title + " " + r.snippet),
              sources::Current().search.relevancePercent)
        << r.title;
  }
}

// Bing's zh-CN answer holds a Tencent article among pages of other sites.
// Tencent is a listed site, so the article counts for a keyword it is about
// even when the search named another site, and never for one it is not about.
TEST(SearchCaptures, AnArticleOfAnyListedSiteInTheAnswerCountsOnlyWhenRelated) {
  const sources::SearchRules& rules = sources::Current().search;
  const std::vector<SearchResult> results = collector::ReadResults(
      Serp("bing_cn_zh-CN_unrelated-results_2026-08-20.html"), EngineNamed("bing"));
  const Text tencent = "https://news.qq.com/rain/a/20251231A04Z6M00";

  const collector::ArticleChoice unrelated = collector::ChooseArticle(results, "2026年广州天河区平均房价", rules, {});
  EXPECT_EQ(unrelated.choice, collector::Choice::kUnrelated);

  const Text keyword = "2026年重要节日一览";
  const collector::ArticleChoice chosen = collector::ChooseArticle(results, keyword, rules, {});
  ASSERT_EQ(chosen.choice, collector::Choice::kChosen);
  EXPECT_EQ(chosen.link, tencent);
  ASSERT_NE(chosen.site, nullptr);
  EXPECT_EQ(chosen.site->host, "news.qq.com");

  // Once passed over (too short, a failed download), it is not chosen again.
  const collector::ArticleChoice again =
      collector::ChooseArticle(results, keyword, rules, {collector::ArticleAddress(tencent, rules)});
  EXPECT_NE(again.choice, collector::Choice::kChosen);
}

TEST(SearchCaptures, VerificationPagesAreRecognised) {
  const Text bingPage = Serp("bing_cn_zh-CN_unrelated-results_2026-08-20.html");
  // Bing's challenge keeps the result page's shell and title but loses the
  // result list and shows the widget. No real one was captured: it is made
  // from the real result page as the challenge is described.
  Text bingChallenge = core::ReplaceAll(bingPage, "id=\"b_results\"", "id=\"b_content_x\"");
  bingChallenge = core::ReplaceAll(bingChallenge, "<body",
                                   "<div class=\"captcha_header\">One last step</div>"
                                   "<div id=\"turnstile-widget\"></div><body");
  struct Case {
    const char* what;
    const char* engine;
    SearchAnswer answer;
    bool verification;
  };
  const Case cases[] = {
      {"360's page blaming many requests", "so360", {Serp("so360_verification-page_2026-09-21.html"), 200, ""}, true},
      {"360's result block", "so360", {Serp("so360_result-block-TRIMMED_2026-08-17.html"), 200, ""}, false},
      {"the old engine's page", "baidu", {Serp("baidu_verification-page_2026-08-19.html"), 200, ""}, true},
      {"Bing's challenge", "bing", {bingChallenge, 200, ""}, true},
      {"Bing's results (the challenge script is named on every page)", "bing", {bingPage, 200, ""}, false},
      {"Bing's wrapped results", "bing", {Serp("bing_www_wrapped-links_2026-04-04.html"), 200, ""}, false},
      {"Bing's page cut short before its list", "bing", {bingPage.substr(0, 2000), 200, ""}, false},
      {"Sogou's redirect to its check", "sogou", {"", 302, "http://www.sogou.com/antispider/?from=%2Fweb"}, true},
      {"Sogou's other redirects", "sogou", {"", 302, "https://www.sogou.com/web?query=x"}, false},
      {"Sogou's results", "sogou", {Serp("sogou_web_results-EXCERPT_2026-09-21.html"), 200, ""}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(collector::IsVerificationPage(c.answer, EngineNamed(c.engine).verification), c.verification)
        << c.what;
  }
}

}  // namespace
