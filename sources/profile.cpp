#include "sources/profile.h"

#include <utility>

#include "core/escapes.h"

namespace sources {

const char kBrowserAgentLine[] =
    "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/124.0.0.0 Safari/537.36";

namespace {

Layout MakeLayout(const Text& detect, std::vector<Cut> titles, const Text& bodyEnd) {
  Layout layout;
  layout.detect = detect;
  layout.titles = std::move(titles);
  layout.bodyEnd = bodyEnd;
  return layout;
}

// The old engine as the program first knew it: the first result's link cut
// from the page's text.
Engine ClassicEngine() {
  Engine e;
  e.name = "baidu";
  e.label = "百度";
  e.address = "https://www.baidu.com/s?wd=site%3A{site}%20";
  // The class value ends with a blank before its quote; the engine writes a
  // blank on each side of the link's equals sign.
  e.firstResult = {{"<div class=\"result c-container \" id=\"1\"", "target=\"_blank\""},
                   {"href = \"", "\""}};
  return e;
}

Profile MakeClassic() {
  Profile p;
  p.name = "classic";
  p.kind = ProfileKind::kClassic;
  p.explainMisses = false;
  p.oneFilePerArticle = false;
  p.dateAddress = "http://www.baidu.com/";

  HotPage list;
  list.address = "http://top.baidu.com/buzz?b=1&fr=20811";
  list.keyword.text = "href_top\\=.*?>(.*?)</a>";
  HotPage search;
  search.address = "https://s.weibo.com/top/summary?Refer=top_hot&topnav=1&wvr=6";
  search.keyword.text = "<a href\\=\"/weibo\\?q\\=.*?\" target\\=\"_blank\">(.*?)</a>";
  p.hotLists = {HotList{"hotlist", "百度热搜", {list}}, HotList{"hotsearch", "微博热搜", {search}}};
  p.hotOrder = {"hotlist", "hotsearch"};
  p.sourceHealth = false;

  p.search.engines = {ClassicEngine()};
  p.search.order = {"baidu"};
  p.search.sites = {NewsSite{"www.sohu.com", "", ""}};
  p.search.intervalSeconds = 0;
  p.search.relevancePercent = 0;

  p.article.layouts = {
      MakeLayout("<article class=\"article\" id=\"mp-editor\">", {{"title: \"", "\""}},
                 "<p data-role=\"editor-name\">"),
      MakeLayout("<div class=\"article-main\">", {{"title: '", "',"}},
                 "<footer class=\"footer-tag-state\">"),
      // the body's end marker ends with a blank
      MakeLayout("<div class=\"content\">", {{"<title>", "-搜狐新闻</title>"}},
                 "<a class=\"news_download_btn\" "),
  };
  p.article.removed = {"返回搜狐，查看更多"};
  p.article.removePattern.clear();
  p.article.percentDecode = true;
  p.article.fallback = false;
  return p;
}

// Today's engines, in the order they are asked. Each writes the target of a
// result in its own place: Bing in the h2's link (wrapped when the service
// places the client abroad), Sogou in a data-url inside the block (its own
// /link?url= cannot be decoded), 360 in the title link's data-mdurl.
std::vector<Engine> CurrentEngines(const Text& agent) {
  Engine bing;
  bing.name = "bing";
  bing.label = "必应";
  bing.address = "https://cn.bing.com/search?q=site%3A{site}+{keyword}";
  bing.headers = agent;
  bing.charset = "utf-8";
  bing.block = "li.b_algo";
  bing.link = {"h2 a", "href"};
  bing.title = {"h2 a", ""};
  bing.snippet = {".b_caption p, .b_caption", ""};
  bing.unwrap = LinkUnwrap::kBase64Target;
  // The challenge keeps the result page's shell and title but has no result
  // list; the challenge script's name is on every normal page too, so only
  // the widget and its verify address count.
  bing.verification.markers = {"id=\"turnstile-widget\"", "class=\"captcha_header\"",
                               "/challenge/verify?"};
  bing.verification.resultsMarker = "id=\"b_results\"";

  Engine sogou;
  sogou.name = "sogou";
  sogou.label = "搜狗";
  sogou.address = "https://www.sogou.com/web?query=site%3A{site}+{keyword}";
  sogou.headers = agent;
  sogou.charset = "utf-8";
  sogou.block = "div.vrwrap, div.rb";
  sogou.link = {"[data-url]", "data-url"};
  sogou.title = {"h3 a", ""};
  sogou.snippet = {".space-txt, .ft", ""};
  sogou.verification.statuses = {301, 302, 303, 307};
  sogou.verification.redirect = "/antispider";
  sogou.verification.markers = {"/antispider/"};

  Engine so360;
  so360.name = "so360";
  so360.label = "360搜索";
  so360.address = "https://www.so.com/s?q=site%3A{site}+{keyword}";
  so360.headers = agent;
  so360.charset = "utf-8";
  so360.block = "li.res-list";
  so360.link = {"h3 a[data-mdurl]", "data-mdurl"};
  so360.title = {"h3 a", ""};
  so360.snippet = {".res-desc", ""};
  so360.verification.markers = {"<title>访问异常页面</title>"};

  // Not asked unless settings.ini names it: it answers programs with its
  // verification page nearly always.
  Engine baidu;
  baidu.name = "baidu";
  baidu.label = "百度";
  baidu.address = "https://www.baidu.com/s?wd=site%3A{site}%20{keyword}";
  baidu.headers = agent;
  baidu.charset = "utf-8";
  baidu.block = "div.c-container";
  baidu.link = {"h3 a", "href"};
  baidu.title = {"h3 a", ""};
  baidu.snippet = {".c-abstract, .content-right_8Zs40", ""};
  baidu.verification.markers = {"<title>百度安全验证</title>"};

  return {bing, sogou, so360, baidu};
}

// The pattern of a JSON string value by its key, anywhere in the answer.
Text JsonFieldPattern(const Text& key) {
  return "\"" + key + "\"\\s*:\\s*\"((?:[^\"\\\\]|\\\\.)*)\"";
}

// The pattern of an array item (an object after "[" or ",") by its own key:
// objects nested two deep inside the item are passed over whole, so a key of
// the same name inside them is not taken, and the match holds the whole item
// for the exclude pattern.
Text JsonItemPattern(const Text& key) {
  const Text nested = "\\{(?:[^{}]|\\{[^{}]*\\})*\\}";
  const Text part = "(?:[^{}]|" + nested + ")";
  return "[\\[,]\\s*\\{" + part + "*?" + JsonFieldPattern(key) + part + "*\\}";
}

// An address answered with JSON (or a page carrying JSON) in UTF-8, whose
// keywords are a field read by `pattern`, JSON escapes undone.
HotPage JsonAddress(const Text& address, const Text& headers, const Text& pattern) {
  HotPage page;
  page.address = address;
  page.headers = headers;
  page.charset = "utf-8";
  page.keyword.text = pattern;
  page.keyword.ignoreCase = false;
  page.keyword.multiline = true;
  page.keyword.submatch = 1;
  page.unescape = Unescape::kJson;
  return page;
}

// Today's hot lists, each with its addresses in the order they are tried.
// The first two are read by default; the others when [hot] lists= names them.
std::vector<HotList> CurrentHotLists(const Text& agent) {
  // The board's JSON: every item's "word". The pinned item (topContent)
  // counts too; it comes after the ranked ones.
  HotPage board = JsonAddress("https://top.baidu.com/api/board?platform=wise&tab=realtime", agent,
                              JsonFieldPattern("word"));
  // The board page carries the same JSON in a comment; its cards and the
  // nested lists of late 2025 write every keyword as "word" too.
  HotPage boardPage = JsonAddress("https://top.baidu.com/board?tab=realtime", agent, JsonFieldPattern("word"));
  boardPage.within = {"<!--s-data:", "-->"};

  // The summary page's rows (the desktop table, or the phone layout's list
  // with the keyword in a span); advertising rows are left out.
  HotPage summary;
  summary.address = "https://s.weibo.com/top/summary?cate=realtimehot";
  summary.headers = agent + "\r\nReferer: https://weibo.com/\r\nAccept-Language: zh-CN,zh;q=0.9";
  summary.charset = "utf-8";
  summary.keyword.text =
      "(?:<td class=\"td-02\">|<li>)\\s*<a href=\"/weibo\\?q=[^\"]*\"[^>]*>"
      "(?:(?:(?!</a>)[\\s\\S])*?<span>)?([^<]+)";
  summary.keyword.ignoreCase = true;
  summary.keyword.multiline = true;
  summary.keyword.submatch = 1;
  summary.unescape = Unescape::kHtml;
  summary.exclude.text = "realtimehot_ad|javascript:void";
  summary.exclude.ignoreCase = true;
  summary.exclude.multiline = true;
  summary.exclude.submatch = 0;
  summary.visitor = true;
  // The side list's JSON: data.realtime[].word, advertising rows out; the
  // government row after the list is not one of them.
  HotPage side = JsonAddress("https://weibo.com/ajax/side/hotSearch",
                             agent + "\r\nReferer: https://weibo.com/", JsonItemPattern("word"));
  side.within = {"\"realtime\"", "\"hotgov\""};
  side.exclude.text = "\"is_ad\"\\s*:\\s*1";
  side.exclude.ignoreCase = false;
  side.exclude.submatch = 0;
  // The mobile API with the visitor cookie: data.cards[0].card_group[].desc.
  // The first card's rows end where the second card's group begins.
  HotPage mobile = JsonAddress(
      "https://m.weibo.cn/api/container/getIndex?containerid=106003type%3D25%26t%3D3%26disable_hot%3D1"
      "%26filter_type%3Drealtimehot",
      agent, JsonFieldPattern("desc"));
  mobile.within = {"\"card_group\"", "\"card_group\""};
  mobile.visitor = true;

  HotPage toutiao = JsonAddress("https://www.toutiao.com/hot-event/hot-board/?origin=toutiao_pc", agent,
                                JsonFieldPattern("Title"));
  HotPage paper = JsonAddress("https://cache.thepaper.cn/contentapi/wwwIndex/rightSidebar", agent,
                              JsonItemPattern("name"));
  paper.within = {"\"hotNews\"", ""};
  HotPage zhihu = JsonAddress(
      "https://www.zhihu.com/api/v3/feed/topstory/hot-list-web?limit=20&desktop=true", agent,
      "\"title_area\"\\s*:\\s*\\{\\s*\"text\"\\s*:\\s*\"((?:[^\"\\\\]|\\\\.)*)\"");
  HotPage netease = JsonAddress("https://m.163.com/fe/api/hot/news/flow", agent, JsonItemPattern("title"));
  netease.within = {"\"list\"", ""};
  // The first row of the ranking is its header, not a topic.
  HotPage tencent = JsonAddress("https://r.inews.qq.com/gw/event/hot_ranking_list?page_size=50", agent,
                                JsonItemPattern("title"));
  tencent.within = {"\"newslist\"", ""};
  tencent.skip = 1;

  return {HotList{"hotlist", "百度热搜", {board, boardPage}},
          HotList{"hotsearch", "微博热搜", {summary, side, mobile}},
          HotList{"toutiao", "今日头条", {toutiao}},
          HotList{"thepaper", "澎湃新闻", {paper}},
          HotList{"zhihu", "知乎热榜", {zhihu}},
          HotList{"netease", "网易新闻", {netease}},
          HotList{"tencent", "腾讯新闻", {tencent}}};
}

Profile MakeCurrent() {
  const Text agent = kBrowserAgentLine;
  Profile p;
  p.name = "current";
  p.kind = ProfileKind::kCurrent;
  p.explainMisses = true;
  p.checkCertificates = true;
  p.oneFilePerArticle = true;
  p.dateAddress = "http://www.baidu.com/";

  p.hotLists = CurrentHotLists(agent);
  p.hotOrder = {"hotlist", "hotsearch"};
  p.sourceHealth = true;

  p.visitor.address = "https://passport.weibo.com/visitor/genvisitor2";
  p.visitor.body = "cb=visitor_gray_callback&tid=&from=weibo";
  p.visitor.headers = "Content-Type: application/x-www-form-urlencoded\r\n" + agent;
  p.visitor.wallMarker = "<title>Sina Visitor System</title>";
  p.visitor.wallStatuses = {403, 432};

  p.search.engines = CurrentEngines(agent);
  p.search.order = {"bing", "sogou", "so360"};
  // In order of preference. Sohu's served pages hold each body picture's
  // address AES-encrypted under its key, which the page's own script uses to
  // show it; Tencent's articles are on two hosts.
  p.search.sites = {NewsSite{"www.sohu.com", "^/a/\\d+_\\d+", "www.sohu.com6666", {}},
                    NewsSite{"www.163.com", "^/[a-z]+/article/[0-9A-Z]{16}\\.html", "", {}},
                    NewsSite{"news.qq.com", "^/rain/a/\\d{8}[A-Z0-9]+", "", {"new.qq.com"}}};
  // Bursts of searches bring the verification pages on.
  p.search.intervalSeconds = 3;
  p.search.relevancePercent = 30;

  // The script's title when the page has one, else the headline without its
  // tag label.
  Layout layout = MakeLayout("<article class=\"article\" id=\"mp-editor\">",
                             {{"title: \"", "\""}, {"<div class=\"text-title\">", "</h1>"}},
                             "<p data-role=\"editor-name\">");
  layout.titleStripTags = true;
  layout.titleRemove = "<span class=\"article-tag\">[\\s\\S]*?</span>";
  // The autumn-2026 layout, known only by its class names: the body in
  // .content-main-detail, the headline in h3.content-main--title. The class
  // is matched at the tag's end, where the page's framework writes it after
  // its own attributes. Where the editor's line that ends layout 1's body is
  // missing, the general extractor reads the body (the headline is kept).
  Layout autumn = MakeLayout("class=\"content-main-detail\">",
                             {{"class=\"content-main--title\">", "</h3>"}},
                             "<p data-role=\"editor-name\">");
  autumn.titleStripTags = true;
  p.article.headers = agent;
  p.article.layouts = {layout, autumn};
  p.article.removed = {"返回搜狐，查看更多"};
  // The hidden original-title paragraph, and the "show all" box.
  p.article.removePattern =
      "<p data-role=\"original-title\"[^>]*>[\\s\\S]*?</p>|"
      "<div class=\"lookall-box\">[\\s\\S]*?</section>\\s*</div>";
  p.article.percentDecode = false;
  p.article.fallback = true;
  p.cleaning.blanks = BlankRule::kCollapse;
  p.cleaning.decodeEntities = true;
  p.cleaning.servedPictures = true;
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

const HotList* FindHotList(const Profile& profile, const Text& name) {
  for (const HotList& list : profile.hotLists) {
    if (list.name == name) return &list;
  }
  return nullptr;
}

HotList* FindHotList(Profile& profile, const Text& name) {
  return const_cast<HotList*>(FindHotList(static_cast<const Profile&>(profile), name));
}

const Engine* FindEngine(const SearchRules& rules, const Text& name) {
  for (const Engine& engine : rules.engines) {
    if (engine.name == name) return &engine;
  }
  return nullptr;
}

Engine* FindEngine(SearchRules& rules, const Text& name) {
  return const_cast<Engine*>(FindEngine(static_cast<const SearchRules&>(rules), name));
}

namespace {

// The host lower-case and without its port, for comparing.
Text BareHost(const Text& host) {
  Text bare;
  for (char c : host.substr(0, host.find(':'))) bare.push_back(core::AsciiLower(c));
  return bare;
}

}  // namespace

const NewsSite* SiteOfHost(const SearchRules& rules, const Text& host) {
  const Text wanted = BareHost(host);
  if (wanted.empty()) return nullptr;
  for (const NewsSite& site : rules.sites) {
    if (BareHost(site.host) == wanted) return &site;
    for (const Text& other : site.otherHosts) {
      if (BareHost(other) == wanted) return &site;
    }
  }
  return nullptr;
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
