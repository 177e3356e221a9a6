#include "collector/article_extraction.h"

#include <array>
#include <string_view>

#include "core/cut.h"
#include "core/url_codec.h"

namespace collector {
namespace {

struct Layout {
  std::string_view detect;  // also the body's left marker
  std::string_view titleLeft;
  std::string_view titleRight;
  std::string_view bodyRight;
};

constexpr std::array<Layout, 3> kLayouts{{
    {"<article class=\"article\" id=\"mp-editor\">", "title: \"", "\"",
     "<p data-role=\"editor-name\">"},
    {"<div class=\"article-main\">", "title: '", "',", "<footer class=\"footer-tag-state\">"},
    // the body's right marker ends with a blank
    {"<div class=\"content\">", "<title>", "-搜狐新闻</title>", "<a class=\"news_download_btn\" "},
}};

constexpr std::string_view kBackLink = "返回搜狐，查看更多";

}  // namespace

Text ArticlePageText(const Bytes& body) {
  return core::UrlDecode(core::TextFromBytes(body), true);
}

ArticleCut CutArticle(const Text& page) {
  ArticleCut cut;
  for (size_t i = 0; i < kLayouts.size(); ++i) {
    const Layout& layout = kLayouts[i];
    if (core::Find(page, layout.detect) < 1) continue;
    cut.layout = int(i) + 1;
    cut.title = core::TextBetween(page, layout.titleLeft, layout.titleRight);
    cut.body = core::ReplaceAll(core::TextBetween(page, layout.detect, layout.bodyRight),
                                kBackLink, "");
    break;
  }
  return cut;
}

}  // namespace collector
