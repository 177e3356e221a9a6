// The search and cleaning rules the current profile adds.
#include <gtest/gtest.h>

#include "collector/article_extraction.h"
#include "collector/content_cleaning.h"
#include "collector/result_page.h"
#include "collector/search_results.h"
#include "core/encoding.h"
#include "html/extract.h"

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

// Sohu's autumn-2026 layout. No copy of such a page is known, only a
// scraper's note that the body is in .content-main-detail and the title in
// h3.content-main--title, without #mp-editor; this page is built from that
// note, around it the parts every sohu page has (navigation, the author's
// box, the statement, the recommendations, the footer), with the class
// after the framework's own attribute as the 2024 pages write their tags.
Text AutumnSohuPage(bool editorLine) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
         "<title>国产大飞机C929完成首次试飞_搜狐网</title></head><body>"
         "<header class=\"head-nav\"><a href=\"/\">搜狐首页</a><a href=\"/news\">新闻</a>"
         "<a href=\"/sports\">体育</a><a href=\"/auto\">汽车</a></header>"
         "<div class=\"main\"><div class=\"content-main\">"
         "<h3 data-v-5c2f1a0e=\"\" class=\"content-main--title\"> 国产大飞机<em>C929</em>完成首次试飞 </h3>"
         "<div data-v-5c2f1a0e=\"\" class=\"content-main--info\"><span>2026-10-08 09:30</span>"
         "<span>来源：航空报</span></div>"
         "<div data-v-5c2f1a0e=\"\" class=\"content-main-detail\">"
         "<p>10月8日上午，国产宽体客机C929在上海浦东机场完成首次试飞，历时3小时12分钟后平稳降落。</p>"
         "<p><img data-src=\"//q1.itc.cn/images01/20261008/c929.jpeg\"></p>"
         "<p>试飞机组按计划完成了起降、爬升、巡航和多项系统检查，飞机各系统工作正常。</p>"
         "<p>据介绍，C929可载客280人左右，航程约12000公里，后续将开展适航取证试飞。</p>" +
         Text(editorLine ? "<p data-role=\"editor-name\">责任编辑：<span>李明</span></p>" : "") +
         "</div>"
         "<div class=\"statement\">平台声明：该文观点仅代表作者本人，搜狐号系信息发布平台，搜狐仅提供信息存储空间服务。</div>"
         "</div><div class=\"sidebar\"><h4>大家都在看</h4><ul>"
         "<li><a href=\"/a/1_1\">航天员出舱活动取得圆满成功</a></li>"
         "<li><a href=\"/a/2_2\">高铁新线路今日开通运营</a></li>"
         "<li><a href=\"/a/3_3\">秋季旅游热门目的地推荐</a></li></ul></div></div>"
         "<footer>搜狐公司版权所有</footer></body></html>";
}

TEST(CurrentRules, AutumnSohuLayoutByItsMarkersAndByTheGeneralExtractor) {
  const sources::Profile& current = sources::Current();
  const Text title = "国产大飞机C929完成首次试飞";
  const Text body =
      "10月8日上午，国产宽体客机C929在上海浦东机场完成首次试飞，历时3小时12分钟后平稳降落。\r\n"
      "试飞机组按计划完成了起降、爬升、巡航和多项系统检查，飞机各系统工作正常。\r\n"
      "据介绍，C929可载客280人左右，航程约12000公里，后续将开展适航取证试飞。";
  ImageSources images;
  for (const bool editorLine : {true, false}) {
    SCOPED_TRACE(editorLine ? "cut by the layout" : "no end marker: the body by the extractor");
    const ArticleCut cut = ReadArticle(AutumnSohuPage(editorLine), current.article);
    EXPECT_EQ(cut.layout, 2);
    EXPECT_EQ(cut.endMissing, !editorLine);
    EXPECT_EQ(cut.title, title);
    EXPECT_EQ(CleanBody(cut.body, false, images, current.cleaning), body);
  }
  // The general extractor alone finds the same title and body.
  const html::Extracted found = html::ExtractArticle(AutumnSohuPage(false));
  EXPECT_EQ(found.title, title);
  EXPECT_EQ(CleanBody(found.body, false, images, current.cleaning), body);
}

}  // namespace
}  // namespace collector
