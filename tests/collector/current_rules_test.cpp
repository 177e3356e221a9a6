// The search and cleaning rules the current profile adds.
#include <gtest/gtest.h>

#include "collector/content_cleaning.h"
#include "collector/result_page.h"
#include "collector/search_results.h"
#include "core/encoding.h"

namespace collector {
namespace {

TEST(CurrentRules, ResultLinkIsUnwrapped) {
  const sources::Engine& bing = *sources::FindEngine(sources::Current().search, "bing");
  // base64url of "https://www.sohu.com/a/1_2?x=1&y=2"
  const Text wrapped =
      "https://www.bing.com/ck/a?!&amp;&amp;p=abc&amp;u=a1aHR0cHM6Ly93d3cuc29odS5jb20vYS8xXzI_eD0xJnk9Mg&amp;ntb=1";
  struct Case {
    const char* what;
    Text page;
    Text link;
  };
  const Case cases[] = {
      {"wrapped", "<li class=\"b_algo\" data-id><div><a href=\"x\"></a></div><h2><a target=\"_blank\" href=\"" +
                      wrapped + "\" h=\"ID=1\">T</a></h2></li>",
       "https://www.sohu.com/a/1_2?x=1&y=2"},
      {"plain link, entities undone", "<li class=\"b_algo\"><h2><a href=\"https://www.sohu.com/a/3?a=1&amp;b=2\">T</a></h2>",
       "https://www.sohu.com/a/3?a=1&b=2"},
      {"not base64: left as it is", "<li class=\"b_algo\"><h2><a href=\"https://www.bing.com/ck/a?u=a1@@&ntb=1\">T</a></h2>",
       "https://www.bing.com/ck/a?u=a1@@&ntb=1"},
      {"no result block", "<li class=\"b_ad\"><h2><a href=\"https://ad/\">", ""},
  };
  for (const Case& c : cases) {
    const std::vector<SearchResult> results = ReadResults(c.page, bing);
    EXPECT_EQ(results.empty() ? Text() : results[0].link, c.link) << c.what;
  }
  EXPECT_EQ(SearchUrl(SearchAddress(bing, "www.sohu.com"), "中 a"),
            "https://cn.bing.com/search?q=site%3Awww.sohu.com+%E4%B8%AD%20a");
}

TEST(CurrentRules, CollapsedBlanksKeepWordsApart) {
  struct Case {
    const char* html;
    const char* text;
  };
  const Case cases[] = {
      {"<p>iPhone  15\tPro</p>", "iPhone 15 Pro"},
      {"<p>  lead and trail  </p>", "lead and trail"},
      {"<p>中文 字</p><p>A 中</p>", "中文字\r\nA中"},
      {"<p><b>Apple</b> <i>Watch</i></p>", "Apple Watch"},
      {"<p>乗 A</p>", "乗A"},  // the character before the blank ends in an ASCII-looking byte
      {"<p>\x80 A \x81 b</p>", "\x80" "A\x81" "b"},  // the euro sign and a stray lead byte are no letters
      {"<p>café  au lait, Αθηνα Москва 中 é</p>", "café au lait, Αθηνα Москва中é"},
      {"\n<p>R&amp;B&nbsp;live &lt;3</p>\n", "R&B live <3"},  // references decoded, no stray line break
  };
  ImageSources images;
  for (const Case& c : cases) {
    EXPECT_EQ(CleanBody(c.html, false, images, sources::Current().cleaning), c.text) << c.html;
  }
  // Characters GBK lacks (four bytes, one of them a digit) are word
  // characters too: Korean keeps its spaces, and so do © and ™.
  const Text korean = core::WideToGb18030(u"\xD55C\xAD6D\xC5B4  \xBB38\xC7A5 \x4E2D"),
             signs = core::WideToGb18030(u"\xA9 2026 \x2122 x");
  EXPECT_EQ(CleanBody("<p>" + korean + "</p>", false, images, sources::Current().cleaning),
            core::WideToGb18030(u"\xD55C\xAD6D\xC5B4 \xBB38\xC7A5\x4E2D"));
  EXPECT_EQ(CleanBody("<p>" + signs + "</p>", false, images, sources::Current().cleaning), signs);
}

}  // namespace
}  // namespace collector
