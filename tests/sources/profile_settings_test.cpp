#include <gtest/gtest.h>

#include "core/encoding.h"
#include "sources/profile.h"
#include "sources/settings.h"

namespace {

using core::Text;
using core::TextArray;
using sources::Profile;

Profile Load(const Text& content, TextArray& problems, const Text& chosen = "") {
  return sources::BuildProfile(sources::ParseSettings(content, problems), chosen, problems);
}

TEST(Profiles, HostsReplaceOnlyHostAndPort) {
  TextArray problems;
  const Profile p = Load(
      "[sources]\nprofile=current\n[hosts]\ndate=127.0.0.1:81\nhotlist=127.0.0.1:82\n"
      "hotsearch=127.0.0.1:83\nvisitor=127.0.0.1:84\nsearch=127.0.0.1:85\nnewssite=news.test\n",
      problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(p.name, "current");
  EXPECT_EQ(p.dateAddress, "http://127.0.0.1:81/");
  EXPECT_EQ(p.hotLists[0].addresses[0].address, "https://127.0.0.1:82/api/board?platform=wise&tab=realtime");
  EXPECT_EQ(p.hotLists[1].addresses[0].address, "https://127.0.0.1:83/top/summary?cate=realtimehot");
  EXPECT_EQ(p.visitor.address, "https://127.0.0.1:84/visitor/genvisitor2");
  // "search" is the first engine's host (Bing's)
  EXPECT_EQ(p.search.engines[0].address, "https://127.0.0.1:85/search?q=site%3A{site}+{keyword}");
  EXPECT_EQ(p.search.sites[0].host, "news.test");
  EXPECT_EQ(p.search.sites[0].articlePath, sources::Current().search.sites[0].articlePath);
  EXPECT_EQ(sources::ReplaceHost("http://h?q=1", "x:1"), "http://x:1?q=1");
  EXPECT_EQ(sources::ReplaceHost("https://h", "x"), "https://x");
}

TEST(Profiles, CommandLineWinsAndUnknownNamesFallBack) {
  struct Case {
    const char* content;
    const char* chosen;
    const char* name;
    size_t problems;
  };
  const Case cases[] = {
      {"", "", "current", 0},
      {"[sources]\nprofile=classic\n", "", "classic", 0},
      {"[sources]\nprofile=current\n", "", "current", 0},
      {"[sources]\nprofile=current\n", "classic", "classic", 0},
      {"[sources]\nprofile=latest\n", "", "current", 1},
      {"[sources]\nprofile=latest\n", "classic", "classic", 1},
      {"[sources]\nprofile=latest\n", "current", "current", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    TextArray problems;
    EXPECT_EQ(Load(c.content, problems, c.chosen).name, c.name);
    EXPECT_EQ(problems.size(), c.problems);
  }
}

// Each key overrides one field; a line that cannot be used is one problem
// naming its line, and the field keeps the profile's value.
TEST(Profiles, SettingsKeysOverrideOneFieldEach) {
  struct Case {
    const char* content;
    const char* problem;  // "" for none
    bool (*check)(const Profile&);
  };
  const Case cases[] = {
      {"[hotlist]\npattern=<b>(.*?)</b>\nignorecase=off\nsubmatch=1\n", "",
       [](const Profile& p) {
         return p.hotLists[0].addresses[0].keyword.text == "<b>(.*?)</b>" && !p.hotLists[0].addresses[0].keyword.ignoreCase;
       }},
      {"[hotlist]\npattern=(unclosed\n", "settings.ini 第2行的正则表达式 (unclosed 无法编译，使用默认值",
       [](const Profile& p) { return p.hotLists[0].addresses[0].keyword.text == sources::Classic().hotLists[0].addresses[0].keyword.text; }},
      {"[hotsearch]\npattern=\n", "settings.ini 第2行的正则表达式为空，使用默认值",
       [](const Profile& p) { return !p.hotLists[1].addresses[0].keyword.text.empty(); }},
      {"[hotsearch]\npattern=<b>x</b>\n", "settings.ini 第2行的正则表达式 <b>x</b> 没有第1个分组，使用默认值",
       [](const Profile& p) { return p.hotLists[1].addresses[0].keyword.text != "<b>x</b>"; }},
      {"[hotsearch]\nexclude=\nunescape=json\nheaders=Referer: https://r/\\nX-A: 1\n", "",
       [](const Profile& p) {
         return p.hotLists[1].addresses[0].exclude.text.empty() && p.hotLists[1].addresses[0].unescape == sources::Unescape::kJson &&
                p.hotLists[1].addresses[0].headers == "Referer: https://r/\r\nX-A: 1";
       }},
      {"[hotsearch]\nunescape=xml\n", "settings.ini 第2行的值 xml 无效，使用默认值",
       [](const Profile& p) { return p.hotLists[1].addresses[0].unescape == sources::Unescape::kNone; }},
      {"[search]\naddress=ftp://x/{keyword}\n", "settings.ini 第2行的地址 ftp://x/{keyword} 无效，使用默认值",
       [](const Profile& p) {
         return p.search.engines[0].address == sources::Classic().search.engines[0].address;
       }},
      {"[search]\nsort=date\n", "settings.ini 第2行的键 sort 未知，使用默认值",
       [](const Profile&) { return true; }},
      {"[article]\nfallback=on\nblanks=collapse\nlayout1.title2=<h1>{title}</h1>\n", "",
       [](const Profile& p) {
         return p.article.fallback && p.cleaning.blanks == sources::BlankRule::kCollapse &&
                p.article.layouts[0].titles.size() == 2 && p.article.layouts[0].titles[1].left == "<h1>";
       }},
      {"[article]\nlayout4.detect=<main>\nlayout4.end=</main>\nlayout4.title=<title>{title}</title>\n",
       "",
       [](const Profile& p) {
         return p.article.layouts.size() == 4 && p.article.layouts[3].bodyEnd == "</main>";
       }},
      {"[article]\nlayout6.detect=<main>\n", "settings.ini 第2行的键 layout6.detect 未知，使用默认值",
       [](const Profile& p) { return p.article.layouts.size() == 3; }},
      {"[article]\nfallback=yes\n", "settings.ini 第2行的值 yes 无效，使用默认值",
       [](const Profile& p) { return !p.article.fallback; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    TextArray problems;
    const Profile p = Load(c.content, problems, "classic");
    if (*c.problem) {
      ASSERT_EQ(problems.size(), 1u);
      EXPECT_EQ(problems[0], c.problem);
    } else {
      EXPECT_TRUE(problems.empty()) << problems[0];
    }
    EXPECT_TRUE(c.check(p));
  }
}

// Header lines are written on one line with "\n" or "\r\n" between them;
// both give CR LF, and a line without a colon is a problem.
TEST(Profiles, HeaderValuesWithWrittenLineBreaks) {
  struct Case {
    const char* value;
    const char* headers;  // "" with a problem
  };
  const Case cases[] = {
      {"A: 1", "A: 1"},
      {"A: 1\\nB: 2", "A: 1\r\nB: 2"},
      {"A: 1\\r\\nB: 2", "A: 1\r\nB: 2"},
      {"A: 1\\r\\nB: 2\\nC: 3", "A: 1\r\nB: 2\r\nC: 3"},
      {"Referer: https://r/?a=\\x", "Referer: https://r/?a=\\x"},
      {"A: 1\\nno colon", ""},
      {"A: 1\\r\\n", "A: 1"},  // a break after the last line adds no empty line
      {"no colon", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    TextArray problems;
    const Profile p = Load("[search]\nheaders=" + Text(c.value) + "\n", problems, "classic");
    EXPECT_EQ(problems.size(), *c.headers ? 0u : 1u);
    EXPECT_EQ(p.search.engines[0].headers,
              *c.headers ? Text(c.headers) : sources::Classic().search.engines[0].headers);
  }
}

// Notepad's UTF-8 (marked or not) and older GBK files give the same text.
TEST(Profiles, SettingsFileInUtf8OrGbk) {
  const Text gbk = "[article]\nremove=返回搜狐\n";  // this file's literals are GBK
  for (const Text& content : {gbk, "\xEF\xBB\xBF" + core::GbkToUtf8(gbk),
                              core::GbkToUtf8(gbk)}) {
    TextArray problems;
    EXPECT_EQ(Load(content, problems).article.removed, TextArray{"返回搜狐"}) << content;
  }
}

TEST(Profiles, OversizedSettingsFileIsOneProblem) {
  TextArray problems;
  const Text huge = "[hosts]\n" + Text(1024 * 1024, 'x') + "\n";
  const Profile p = Load(huge, problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("settings.ini"), Text::npos);
  EXPECT_EQ(p.name, "current");
}

// The engines, their order, the sites and the pacing as settings.ini gives
// them; a bad line is one problem and leaves the profile's value.
TEST(Profiles, SearchEnginesAndSitesFromSettings) {
  struct Case {
    const char* content;
    const char* problem;  // "" for none
    bool (*check)(const Profile&);
  };
  const Case cases[] = {
      {"", "",
       [](const Profile& p) {
         return p.search.order == TextArray{"bing", "sogou", "so360"} && p.search.intervalSeconds == 3 &&
                p.search.sites.size() == 3 && p.search.sites[0].host == "www.sohu.com" &&
                p.search.sites[1].host == "www.163.com" && p.search.sites[2].host == "news.qq.com" &&
                p.search.sites[2].otherHosts == TextArray{"new.qq.com"} &&
                sources::SiteOfHost(p.search, "new.qq.com") == &p.search.sites[2] &&
                sources::Classic().search.sites.size() == 1;
       }},
      {"[search]\nengines=so360, bing\ninterval=0\nrelevance=50\n", "",
       [](const Profile& p) {
         return p.search.order == TextArray{"so360", "bing"} && p.search.intervalSeconds == 0 &&
                p.search.relevancePercent == 50;
       }},
      {"[search]\nengines=bing,google\n", "settings.ini 第2行的搜索引擎 google 未知，使用默认值",
       [](const Profile& p) { return p.search.order.size() == 3; }},
      {"[search]\nengines=bing,bing\n", "settings.ini 第2行的值 bing,bing 无效，使用默认值",
       [](const Profile& p) { return p.search.order.size() == 3; }},
      {"[search]\ninterval=-1\n", "settings.ini 第2行的值 -1 无效，使用默认值",
       [](const Profile& p) { return p.search.intervalSeconds == 3; }},
      // a known site keeps its article path; the section of a site may come
      // before the list that names it
      {"[site.news.test]\narticle=^/n/\\d+\n[search]\nsites=news.test, www.sohu.com\n", "",
       [](const Profile& p) {
         return p.search.sites.size() == 2 && p.search.sites[0].host == "news.test" &&
                p.search.sites[0].articlePath == "^/n/\\d+" &&
                p.search.sites[1].articlePath == sources::Current().search.sites[0].articlePath;
       }},
      {"[site.other.test]\narticle=x\n", "settings.ini 第2行的站点 other.test 不在 [search] sites 中，使用默认值",
       [](const Profile&) { return true; }},
      // the picture key is the site's own: built in for the news site, read
      // from its section, switched off when empty, refused unless 16 bytes
      {"", "", [](const Profile& p) { return p.search.sites[0].imageKey == "www.sohu.com6666"; }},
      {"[site.news.test]\nimagekey=0123456789abcdef\n[search]\nsites=news.test,www.sohu.com\n", "",
       [](const Profile& p) {
         return p.search.sites[0].imageKey == "0123456789abcdef" && p.search.sites[1].imageKey == "www.sohu.com6666";
       }},
      {"[site.www.sohu.com]\nimagekey=\n", "", [](const Profile& p) { return p.search.sites[0].imageKey.empty(); }},
      {"[site.www.sohu.com]\nimagekey=short\n", "settings.ini 第2行的图片密钥 short 无效（应为16个字符），使用默认值",
       [](const Profile& p) { return p.search.sites[0].imageKey == "www.sohu.com6666"; }},
      {"[site.www.sohu.com]\npicturekey=x\n", "settings.ini 第2行的键 picturekey 未知，使用默认值",
       [](const Profile&) { return true; }},
      // a site's other hosts; an empty list clears them, a bad host keeps them
      {"[search]\nsites=news.test\n[site.news.test]\nhosts=m.news.test, news2.test:8080\n", "",
       [](const Profile& p) {
         return p.search.sites[0].otherHosts == TextArray{"m.news.test", "news2.test:8080"} &&
                sources::SiteOfHost(p.search, "NEWS2.test") == &p.search.sites[0] &&
                sources::SiteOfHost(p.search, "m.news.test:443") == &p.search.sites[0] &&
                sources::SiteOfHost(p.search, "news3.test") == nullptr &&
                sources::SiteOfHost(p.search, "") == nullptr;
       }},
      {"[search]\nsites=news.test\n[site.news.test]\nhosts=m.news.test\nhosts=\n", "",
       [](const Profile& p) { return p.search.sites[0].otherHosts.empty(); }},
      {"[search]\nsites=news.test\n[site.news.test]\nhosts=m.news.test\nhosts=a,b c\n",
       "settings.ini 第5行的值 a,b c 无效，使用默认值",
       [](const Profile& p) { return p.search.sites[0].otherHosts == TextArray{"m.news.test"}; }},
      {"[search]\nsites=news.test\n[site.news.test]\nimage=x\n",
       "settings.ini 第4行的键 image 未知，使用默认值", [](const Profile&) { return true; }},
      {"[search]\nsites=a b\n", "settings.ini 第2行的值 a b 无效，使用默认值",
       [](const Profile& p) { return p.search.sites[0].host == "www.sohu.com"; }},
      {"[sogou]\naddress=https://s.test/web?q={keyword}\nblock=div.res\nverifystatus=302,303\n"
       "verifymarkers=a|b\n",
       "",
       [](const Profile& p) {
         const sources::Engine& e = *sources::FindEngine(p.search, "sogou");
         return e.address == "https://s.test/web?q={keyword}" && e.block == "div.res" &&
                e.verification.statuses == std::vector<int>{302, 303} &&
                e.verification.markers == TextArray{"a", "b"};
       }},
      {"[bing]\nblock=li<script>\n", "settings.ini 第2行的值 li<script> 无效，使用默认值",
       [](const Profile& p) { return sources::FindEngine(p.search, "bing")->block == "li.b_algo"; }},
      // "search" is Bing's host unless "bing" says otherwise
      {"[hosts]\nsearch=127.0.0.1:1\nso360=127.0.0.1:3\n", "",
       [](const Profile& p) {
         return sources::FindEngine(p.search, "bing")->address == "https://127.0.0.1:1/search?q=site%3A{site}+{keyword}" &&
                sources::FindEngine(p.search, "so360")->address == "https://127.0.0.1:3/s?q=site%3A{site}+{keyword}" &&
                sources::FindEngine(p.search, "sogou")->address == sources::FindEngine(sources::Current().search, "sogou")->address;
       }},
      {"[hosts]\nsearch=127.0.0.1:1\nbing=127.0.0.1:2\n", "",
       [](const Profile& p) { return core::StartsWith(p.search.engines[0].address, "https://127.0.0.1:2/"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    TextArray problems;
    const Profile p = Load(c.content, problems);
    if (*c.problem) {
      ASSERT_EQ(problems.size(), 1u);
      EXPECT_EQ(problems[0], c.problem);
    } else {
      EXPECT_TRUE(problems.empty()) << problems[0];
    }
    EXPECT_TRUE(c.check(p));
  }
}

}  // namespace

namespace {

const sources::HotList& weiboOf(const Profile& p) { return *sources::FindHotList(p, "hotsearch"); }

// The hot lists from settings: which are read and in what order, each
// address's fields by number, an address added after the last, the hosts.
TEST(HotListSettings, ListsAddressesAndHosts) {
  using sources::HotList;
  struct Case {
    const char* content;
    const char* chosen;
    const char* problem;  // "" for none
    bool (*check)(const Profile&);
  };
  const Case cases[] = {
      {"", "", "", [](const Profile& p) { return p.hotOrder == TextArray{"hotlist", "hotsearch"}; }},
      {"[hot]\nlists=hotsearch, toutiao,zhihu\n", "", "",
       [](const Profile& p) { return p.hotOrder == TextArray{"hotsearch", "toutiao", "zhihu"}; }},
      {"[hot]\nlists=hotsearch,weixin\n", "", "settings.ini 第2行的热点榜 weixin 未知，使用默认值",
       [](const Profile& p) { return p.hotOrder == TextArray{"hotlist", "hotsearch"}; }},
      {"[hot]\nlists=hotlist,hotlist\n", "", "settings.ini 第2行的值 hotlist,hotlist 无效，使用默认值",
       [](const Profile& p) { return p.hotOrder.size() == 2; }},
      {"[hot]\nlists=toutiao\n", "classic", "settings.ini 第2行的热点榜 toutiao 未知，使用默认值",
       [](const Profile& p) { return p.hotOrder == TextArray{"hotlist", "hotsearch"}; }},
      {"[hot]\norder=hotlist\n", "", "settings.ini 第2行的键 order 未知，使用默认值",
       [](const Profile&) { return true; }},
      // Unnumbered keys are address 1's; a number picks another address.
      {"[hotsearch]\naddress2=https://side.test/h\npattern3=\"d\":\"([^\"]*)\"\nlabel=微博\n", "", "",
       [](const Profile& p) {
         const HotList& l = weiboOf(p);
         return l.label == "微博" && l.addresses[1].address == "https://side.test/h" &&
                l.addresses[2].keyword.text == "\"d\":\"([^\"]*)\"" &&
                l.addresses[0].address == sources::Current().hotLists[1].addresses[0].address;
       }},
      // An added address starts as a copy of the one before it.
      {"[hotsearch]\naddress4=https://m2.test/api\nvisitor4=off\n", "", "",
       [](const Profile& p) {
         const HotList& l = weiboOf(p);
         return l.addresses.size() == 4 && l.addresses[3].address == "https://m2.test/api" &&
                !l.addresses[3].visitor && l.addresses[3].keyword.text == l.addresses[2].keyword.text &&
                l.addresses[2].visitor;
       }},
      {"[hotsearch]\npattern4=(x)\n", "", "settings.ini 第2行的键 pattern4 未知，使用默认值",
       [](const Profile& p) { return weiboOf(p).addresses.size() == 3; }},
      {"[hotsearch]\naddress5=https://x.test/\n", "", "settings.ini 第2行的键 address5 未知，使用默认值",
       [](const Profile& p) { return weiboOf(p).addresses.size() == 3; }},
      {"[hotsearch]\naddress4=ftp://x.test/\n", "", "settings.ini 第2行的地址 ftp://x.test/ 无效，使用默认值",
       [](const Profile& p) { return weiboOf(p).addresses.size() == 3; }},
      {"[tencent]\nfrom=\"list\"\nto=]\nskip=0\n", "", "",
       [](const Profile& p) {
         const sources::HotPage& a = sources::FindHotList(p, "tencent")->addresses[0];
         return a.within.left == "\"list\"" && a.within.right == "]" && a.skip == 0;
       }},
      {"[zhihu]\nskip=x\n", "", "settings.ini 第2行的值 x 无效，使用默认值",
       [](const Profile& p) { return sources::FindHotList(p, "zhihu")->addresses[0].skip == 0; }},
      {"[hotlist]\npattern2=(unclosed\n", "", "settings.ini 第2行的正则表达式 (unclosed 无法编译，使用默认值",
       [](const Profile& p) {
         return p.hotLists[0].addresses[1].keyword.text == sources::Current().hotLists[0].addresses[1].keyword.text;
       }},
      // A list's name is the host key of its first address, with a number
      // that of a later one.
      {"[hosts]\nhotsearch=127.0.0.1:9\nhotsearch3=127.0.0.1:7\ntoutiao=127.0.0.1:8\n", "", "",
       [](const Profile& p) {
         const HotList& l = weiboOf(p);
         return l.addresses[0].address == "https://127.0.0.1:9/top/summary?cate=realtimehot" &&
                l.addresses[1].address == "https://weibo.com/ajax/side/hotSearch" &&
                l.addresses[2].address.rfind("https://127.0.0.1:7/api/container/getIndex?", 0) == 0 &&
                sources::FindHotList(p, "toutiao")->addresses[0].address ==
                    "https://127.0.0.1:8/hot-event/hot-board/?origin=toutiao_pc";
       }},
      {"[hosts]\nhotsearch0=127.0.0.1:9\n", "", "settings.ini 第2行的键 hotsearch0 未知，使用默认值",
       [](const Profile& p) { return weiboOf(p).addresses[0].address.rfind("https://s.weibo.com/", 0) == 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    TextArray problems;
    const Profile p = Load(c.content, problems, c.chosen);
    if (*c.problem) {
      ASSERT_EQ(problems.size(), 1u);
      EXPECT_EQ(problems[0], c.problem);
    } else {
      EXPECT_TRUE(problems.empty()) << problems[0];
    }
    EXPECT_TRUE(c.check(p));
  }
}

// The built-in lists: classic reads its two pages at one address each;
// current tries the microblog's summary page, side list and mobile API in
// that order, and knows five more lists it reads only when named.
TEST(HotListSettings, BuiltInListsAndTheirOrder) {
  const Profile& classic = sources::Classic();
  ASSERT_EQ(classic.hotLists.size(), 2u);
  EXPECT_EQ(classic.hotOrder, (TextArray{"hotlist", "hotsearch"}));
  for (const sources::HotList& list : classic.hotLists) EXPECT_EQ(list.addresses.size(), 1u);
  EXPECT_FALSE(classic.sourceHealth);

  const Profile& current = sources::Current();
  EXPECT_TRUE(current.sourceHealth);
  EXPECT_EQ(current.hotOrder, (TextArray{"hotlist", "hotsearch"}));
  TextArray names;
  for (const sources::HotList& list : current.hotLists) names.push_back(list.name);
  EXPECT_EQ(names, (TextArray{"hotlist", "hotsearch", "toutiao", "thepaper", "zhihu", "netease", "tencent"}));
  const sources::HotList& weibo = *sources::FindHotList(current, "hotsearch");
  ASSERT_EQ(weibo.addresses.size(), 3u);
  EXPECT_EQ(weibo.addresses[0].address, "https://s.weibo.com/top/summary?cate=realtimehot");
  EXPECT_EQ(weibo.addresses[1].address, "https://weibo.com/ajax/side/hotSearch");
  EXPECT_NE(weibo.addresses[1].headers.find("Referer: https://weibo.com/"), Text::npos);
  EXPECT_EQ(weibo.addresses[2].address.rfind("https://m.weibo.cn/api/container/getIndex?containerid=", 0), 0u);
  EXPECT_EQ((TextArray{weibo.addresses[0].visitor ? "on" : "off", weibo.addresses[1].visitor ? "on" : "off",
                       weibo.addresses[2].visitor ? "on" : "off"}),
            (TextArray{"on", "off", "on"}));
  const sources::HotList& board = *sources::FindHotList(current, "hotlist");
  ASSERT_EQ(board.addresses.size(), 2u);
  EXPECT_EQ(board.addresses[1].address, "https://top.baidu.com/board?tab=realtime");
  EXPECT_EQ(board.addresses[1].within.left, "<!--s-data:");
}

}  // namespace
