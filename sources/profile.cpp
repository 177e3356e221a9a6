#include "sources/profile.h"

#include "core/escapes.h"

namespace sources {

const char kBrowserAgentLine[] =
    "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/124.0.0.0 Safari/537.36";

namespace {

Profile MakeClassic() {
  Profile p;
  p.name = "classic";
  p.dateAddress = "http://www.baidu.com/";

  HotPage list;
  list.name = "hotlist";
  list.address = "http://top.baidu.com/buzz?b=1&fr=20811";
  list.keyword.text = "href_top\\=.*?>(.*?)</a>";
  HotPage search;
  search.name = "hotsearch";
  search.address = "https://s.weibo.com/top/summary?Refer=top_hot&topnav=1&wvr=6";
  search.keyword.text = "<a href\\=\"/weibo\\?q\\=.*?\" target\\=\"_blank\">(.*?)</a>";
  p.hotPages = {list, search};

  p.search.address = "https://www.baidu.com/s?wd=site%3A{site}%20";
  p.search.site = "www.sohu.com";
  // The class value ends with a blank before its quote; the engine writes a
  // blank on each side of the link's equals sign.
  p.search.firstResult = {{"<div class=\"result c-container \" id=\"1\"", "target=\"_blank\""},
                          {"href = \"", "\""}};

  p.article.layouts = {
      {"<article class=\"article\" id=\"mp-editor\">", {{"title: \"", "\""}}, false, "",
       "<p data-role=\"editor-name\">"},
      {"<div class=\"article-main\">", {{"title: '", "',"}}, false, "",
       "<footer class=\"footer-tag-state\">"},
      // the body's end marker ends with a blank
      {"<div class=\"content\">", {{"<title>", "-搜狐新闻</title>"}}, false, "",
       "<a class=\"news_download_btn\" "},
  };
  p.article.removed = {"返回搜狐，查看更多"};
  return p;
}

Profile MakeCurrent() {
  const Text agent = kBrowserAgentLine;
  Profile p;
  p.name = "current";
  p.dateAddress = "http://www.baidu.com/";

  // The board's JSON: every item's "word". The pinned item (topContent)
  // counts too; it comes after the ranked ones.
  HotPage list;
  list.name = "hotlist";
  list.address = "https://top.baidu.com/api/board?platform=wise&tab=realtime";
  list.headers = agent;
  list.charset = "utf-8";
  list.keyword = {"\"word\"\\s*:\\s*\"((?:[^\"\\\\]|\\\\.)*)\"", false, true, 1};
  list.unescape = Unescape::kJson;

  // The summary page's rows (the desktop table, or the phone layout's list
  // with the keyword in a span); advertising rows are left out.
  HotPage search;
  search.name = "hotsearch";
  search.address = "https://s.weibo.com/top/summary?cate=realtimehot";
  search.headers = agent + "\r\nReferer: https://weibo.com/\r\nAccept-Language: zh-CN,zh;q=0.9";
  search.charset = "utf-8";
  search.keyword = {
      "(?:<td class=\"td-02\">|<li>)\\s*<a href=\"/weibo\\?q=[^\"]*\"[^>]*>"
      "(?:(?:(?!</a>)[\\s\\S])*?<span>)?([^<]+)",
      true, true, 1};
  search.unescape = Unescape::kHtml;
  search.exclude = {"realtimehot_ad|javascript:void", true, true, 0};
  search.visitor = true;
  p.hotPages = {list, search};

  p.visitor.address = "https://passport.weibo.com/visitor/genvisitor2";
  p.visitor.body = "cb=visitor_gray_callback&tid=&from=weibo";
  p.visitor.headers = "Content-Type: application/x-www-form-urlencoded\r\n" + agent;
  p.visitor.wallMarker = "<title>Sina Visitor System</title>";
  p.visitor.wallStatuses = {403, 432};

  p.search.address = "https://cn.bing.com/search?q=site%3A{site}+{keyword}";
  p.search.site = "www.sohu.com";
  p.search.headers = agent;
  p.search.charset = "utf-8";
  p.search.firstResult = {{"<li class=\"b_algo\"", "</h2>"}, {"<h2", ""}, {"href=\"", "\""}};
  p.search.linkUnescape = Unescape::kHtml;
  p.search.unwrap = LinkUnwrap::kBase64Target;

  // The script's title when the page has one, else the headline without its
  // tag label.
  p.article.headers = agent;
  p.article.layouts = {{"<article class=\"article\" id=\"mp-editor\">",
                        {{"title: \"", "\""}, {"<div class=\"text-title\">", "</h1>"}},
                        true,
                        "<span class=\"article-tag\">[\\s\\S]*?</span>",
                        "<p data-role=\"editor-name\">"}};
  p.article.removed = {"返回搜狐，查看更多"};
  // The hidden original-title paragraph, and the "show all" box.
  p.article.removePattern =
      "<p data-role=\"original-title\"[^>]*>[\\s\\S]*?</p>|"
      "<div class=\"lookall-box\">[\\s\\S]*?</section>\\s*</div>";
  p.article.percentDecode = false;
  p.article.fallback = true;
  p.cleaning = {BlankRule::kCollapse, true};
  return p;
}

}  // namespace

const Profile& Classic() {
  static const Profile profile = MakeClassic();
  return profile;
}

const Profile& Current() {
  static const Profile profile = MakeCurrent();
  return profile;
}

const Profile* BuiltInProfile(const Text& name) {
  if (name == "classic") return &Classic();
  if (name == "current") return &Current();
  return nullptr;
}

Text Unescaped(const Text& text, Unescape mode) {
  switch (mode) {
    case Unescape::kHtml: return core::HtmlUnescape(text);
    case Unescape::kJson: return core::JsonUnescape(text);
    case Unescape::kNone: break;
  }
  return text;
}

Text ProfileNames() { return "classic|current"; }

Text ReplaceHost(const Text& url, const Text& host) {
  const size_t scheme = url.find("://");
  if (scheme == Text::npos) return url;
  const size_t begin = scheme + 3;
  const size_t end = url.find_first_of("/?#", begin);
  return url.substr(0, begin) + host + (end == Text::npos ? Text() : url.substr(end));
}

}  // namespace sources
