#include <gtest/gtest.h>

#include "collector/article_extraction.h"
#include "collector/search_results.h"

namespace collector {
namespace {

TEST(SearchResults, UrlFromSettingsAndKeyword) {
  sources::Engine classic = sources::Classic().search.engines[0];
  const Text prefix = SearchAddress(classic, "news.sohu.com");
  EXPECT_EQ(prefix, "https://www.baidu.com/s?wd=site%3Anews.sohu.com%20");
  classic.address = sources::ReplaceHost(classic.address, "127.0.0.1:8443");
  EXPECT_EQ(SearchAddress(classic, "news.test"), "https://127.0.0.1:8443/s?wd=site%3Anews.test%20");
  EXPECT_EQ(SearchUrl(prefix, "中 a/b_c~"),
            prefix + "%E4%B8%AD%20a%2Fb%5Fc%7E");
  EXPECT_EQ(SearchUrl(prefix, ""), prefix);  // the site alone
}

TEST(SearchResults, FirstResultLinkNeedsBothMarkersByteForByte) {
  const Text head = "<div class=\"result c-container \" id=\"1\" srcid=\"1599\">";
  struct Case {
    const char* what;
    Text page;
    Text link;
  };
  const Case cases[] = {
      {"first result", head + "<h3><a\n href = \"http://x/1\" target=\"_blank\">", "http://x/1"},
      {"only the first block counts",
       head + "<a href = \"http://x/1\" target=\"_blank\"></div>"
              "<div class=\"result c-container \" id=\"2\"><a href = \"http://x/2\" "
              "target=\"_blank\">",
       "http://x/1"},
      {"no blanks around the equals sign",
       head + "<a href=\"http://x/1\" target=\"_blank\">", ""},
      {"class without its trailing blank",
       "<div class=\"result c-container\" id=\"1\"><a href = \"http://x/1\" target=\"_blank\">",
       ""},
      {"link after the block's end", head + "<a target=\"_blank\" href = \"http://x/1\">", ""},
      {"no block end", head + "<a href = \"http://x/1\">", ""},
      {"failed fetch", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstResultLink(c.page, sources::Classic().search.engines[0]), c.link) << c.what;
}

TEST(ArticleExtraction, PageBytesArePercentDecodedUtf8UpToTheFirstZero) {
  struct Case {
    std::string bytes;
    Text page;
  };
  const Case cases[] = {
      {u8"中文%41%42", "中文AB"},
      {"%e4%b8%ad", "中"},
      {std::string(u8"前\0后", 7), "前"},
      {u8"增长50%；", "增长50%；"},  // a lone percent sign stays
      {"a%00b", "ab"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ArticlePageText(Bytes(c.bytes.begin(), c.bytes.end()), true), c.page) << c.bytes;
  }
}

TEST(ArticleExtraction, LayoutsInOrderWithTheirMarkers) {
  const Text l1 = "<article class=\"article\" id=\"mp-editor\">";
  const Text l2 = "<div class=\"article-main\">";
  const Text l3 = "<div class=\"content\">";
  struct Case {
    const char* what;
    Text page;
    int layout;
    Text title;
    Text body;
  };
  const Case cases[] = {
      {"layout 1", "title: \"标题一\",\n" + l1 + "<p>正文</p>返回搜狐，查看更多<p data-role=\"editor-name\">编辑",
       1, "标题一", "<p>正文</p>"},
      {"layout 2", "title: '标题二',\n" + l2 + "<p>二</p><footer class=\"footer-tag-state\">", 2,
       "标题二", "<p>二</p>"},
      {"layout 3", "<title>标题三-搜狐新闻</title>" + l3 + "<p>三</p><a class=\"news_download_btn\" href>",
       3, "标题三", "<p>三</p>"},
      {"layout 3 body marker needs its blank",
       "<title>标题三-搜狐新闻</title>" + l3 + "<p>三</p><a class=\"news_download_btn\">", 3,
       "标题三", ""},
      {"layout 3 without the site suffix", "<title>标题三</title>" + l3 + "x<a class=\"news_download_btn\" ", 3,
       "", "x"},
      {"layout 1 wins over 2",
       "title: \"一\"" + l2 + "二<footer class=\"footer-tag-state\">" + l1 + "一<p data-role=\"editor-name\">",
       1, "一", "一"},
      {"layout 2 wins over 3",
       "<title>三-搜狐新闻</title>title: '二'," + l3 + l2 + "二<footer class=\"footer-tag-state\">",
       2, "二", "二"},
      {"title marker missing", l1 + "正文<p data-role=\"editor-name\">", 1, "", "正文"},
      {"no layout", "<html><title>别的-搜狐新闻</title>", 0, "", ""},
      {"empty page", "", 0, "", ""},
  };
  for (const auto& c : cases) {
    const ArticleCut cut = CutArticle(c.page, sources::Classic().article);
    EXPECT_EQ(cut.layout, c.layout) << c.what;
    EXPECT_EQ(cut.title, c.title) << c.what;
    EXPECT_EQ(cut.body, c.body) << c.what;
  }
}

}  // namespace
}  // namespace collector
