#include "html/extract.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace html {
namespace {

// A paragraph of prose: `sentences` sentences of the given text.
std::string Prose(const std::string& text, int sentences) {
  std::string out = "<p>";
  for (int i = 0; i < sentences; ++i) out += text + std::to_string(i) + "，这是正文的一部分，讲述事情的经过。";
  return out + "</p>";
}

std::vector<std::string> Pieces(const std::string& list) {
  if (list.empty()) return {};
  std::vector<std::string> pieces(1);
  for (const char c : list) {
    if (c == '|') {
      pieces.emplace_back();
    } else {
      pieces.back().push_back(c);
    }
  }
  return pieces;
}

bool Has(const std::string& body, const std::string& text) { return body.find(text) != std::string::npos; }

TEST(ExtractArticle, ArticleAgainstWhatSurroundsIt) {
  std::string links;
  for (int i = 0; i < 30; ++i) links += "<li><a href=\"/n" + std::to_string(i) + "\">侧栏新闻标题很长很长的一条链接文字第" + std::to_string(i) + "条</a></li>";
  std::string rows;
  for (int i = 0; i < 6; ++i) rows += "<tr>\n<td><div align=\"center\">导师甲</div></td>\n<td>1、英语或俄语或日语<br>2、中国戏曲史<br>3、中国戏曲理论</td>\n</tr>\n";
  std::string comments;
  for (int i = 0; i < 40; ++i) {
    comments += "<div class=\"item\"><a href=\"/u" + std::to_string(i) + "\">网友" + std::to_string(i) +
                "</a><p>评论内容，说得很有道理，我也这么认为。</p><a href=\"#\">回复</a></div>";
  }
  const struct {
    const char* what;
    std::string page;
    std::string wanted;    // each "|"-separated piece must be in the body
    std::string unwanted;  // none of these may be
  } cases[] = {
      {"comments longer than the article",
       "<div class=\"main\"><h1>标题</h1>" + Prose("甲段", 4) + Prose("乙段", 4) + "</div><div class=\"comment-list\">" + comments + "</div>",
       "甲段0|乙段3", "网友|评论内容"},
      {"a link list beside a short article",
       "<div><ul>" + links + "</ul></div><div>" + Prose("短文", 2) + "</div>", "短文0|短文1", "侧栏"},
      {"an article split over two sibling blocks",
       "<div id=\"wrap\"><div class=\"part\">" + Prose("上半", 4) + "</div><div class=\"part\">" + Prose("下半", 4) +
           "</div></div><div class=\"footer\"><p>版权所有，转载请注明出处。</p></div>",
       "上半0|下半3", "版权所有"},
      {"images in the body and in the sidebar",
       "<div class=\"side\"><img src=\"/ad.gif\"><a href=\"/x\">广告链接</a></div><article>" + Prose("图文", 3) +
           "<p><img src=\"data:image/gif;base64,R0lG\" data-src=\"/pic/1.jpg\"></p><p><img src=\"/pic/2.png\"></p>" +
           Prose("图后", 2) + "</article>",
       "<img src=\"/pic/1.jpg\">|<img src=\"/pic/2.png\">|图文0|图后1", "ad.gif|data:"},
      {"a table of data after the text, in a layout of tables with blanks between the tags",
       "<table>\n<tr>\n<td>\n<table>\n<tr>\n<td>" + Prose("正文", 4) + "</td>\n</tr>\n</table>\n<table>" + rows +
           "</table>\n</td>\n</tr>\n</table>",
       "正文3|<p>导师甲</p>|<p>3、中国戏曲理论</p>", "侧栏"},
      {"text straight in the body",
       "<html><body><h2>Notes</h2>We often get questions about how the functions should be used, when to "
       "provide more input, and how to end properly.<p>Without further ado, here is the program, read on.</body></html>",
       "We often get questions|Without further ado", ""},
      {"a sign-up box inside the article",
       "<article><p>The harbour stayed closed on Wednesday as the storm showed no sign of easing, with ships waiting.</p>"
       "<div class=\"box\"><h3>Get our morning briefing</h3><form><input type=\"email\"><button>Go</button></form></div>"
       "<p>Harbour master Tom Lee said the decision was taken after waves of eight metres, and more.</p></article>",
       "ships waiting|Tom Lee", "morning briefing"},
      // (a stray GBK lead byte must not take the '<' after it along)
      {"text that would read as markup", "<div>" + Prose("a \x81&lt;b&gt; &amp;c", 3) + "</div>", "a \x81&lt;b> &amp;c0", "<b>"},
  };
  for (const auto& c : cases) {
    const std::string body = ExtractArticle(c.page).body;
    for (const std::string& piece : Pieces(c.wanted)) EXPECT_TRUE(Has(body, piece)) << c.what << ": " << piece;
    for (const std::string& piece : Pieces(c.unwanted)) EXPECT_FALSE(Has(body, piece)) << c.what << ": " << piece;
  }
}

// An English paragraph of `sentences` sentences, each tagged with `tag` and its number.
std::string EnglishProse(const std::string& tag, int sentences) {
  std::string out = "<p>";
  for (int i = 0; i < sentences; ++i) {
    out += tag + std::to_string(i) + " the council met on Tuesday, and the members voted on the new harbour plan. ";
  }
  return out + "</p>";
}

// Pages where a block that is plainly not the article outweighs it, or would
// be kept beside it: each must leave the article whole and the block out.
TEST(ExtractArticle, NoticesFootersAndWrongNamesNeverTakeTheArticlesPlace) {
  std::string consent = "<div class=\"notice\">";
  for (int i = 0; i < 6; ++i) {
    consent += "<p>We use cookies to personalise content. By clicking accept you consent to our use of cookies "
               "and to the sharing of your personal data with third parties.</p>";
  }
  consent += "</div>";
  std::string account = "<div>";
  for (int i = 0; i < 4; ++i) {
    account += "<p>Thank you. Your account has been registered, and you are now logged in. Check your email "
               "address for details; reset your password there.</p>";
  }
  account += "</div>";
  // Addresses, telephones, rights (narrow literals are GBK, as pages reach the extractor).
  const std::string footer = std::string(
      "<div class=\"bottom\"><p>地址：北京市朝阳区建国路八十八号现代城大厦二十层，邮编：100022，"
      "电话：010-12345678，传真：010-12345679，热线：400-800-1234。</p>"
      "<p>本网站版权所有，未经许可不得转载，京ICP备12345678号，违法和不良信息举报电话：010-87654321。</p></div>");
  const std::string chineseArticle = std::string(
      "<div class=\"wrap\"><p>本报讯，市政府昨日召开新闻发布会，介绍了今年城市建设的主要进展和明年的工作安排。</p>"
      "<p>发言人表示，新建的地铁线路将在年底前通车，沿线居民出行将更加便利，预计每天可运送乘客数十万人次。</p></div>");
  const std::string promo = "<div class=\"promo-box\">" + EnglishProse("Promo", 2) + "</div>";
  std::string comments;
  for (int i = 0; i < 12; ++i) {
    comments += "<div class=\"comment-body\"><p>Reader" + std::to_string(i) +
                " thinks the harbour plan is a waste of money, and the council should have asked the people first.</p></div>";
  }
  const struct {
    const char* what;
    std::string page;
    std::string wanted;    // each "|"-separated piece must be in the body
    std::string unwanted;  // none of these may be
  } cases[] = {
      {"a cookie bar longer than a short article",
       consent + "<article>" + EnglishProse("Story", 2) + "</article>", "Story0|Story1", "cookies|personal data"},
      {"an account notice beside the article", account + "<div>" + EnglishProse("Story", 3) + "</div>",
       "Story0|Story2", "logged in|password"},
      {"a footer of addresses, telephones and rights", chineseArticle + footer,
       "本报讯|地铁线路", "邮编|传真|版权所有"},
      {"an article about telephone fraud says telephone often, without a footer's colon",
       "<div><p>警方提醒，不少诈骗电话、骚扰电话畅通无阻，民警正常工作多拨些电话就被认定为涉嫌诈骗。</p>"
       "<p>接到陌生电话要核实身份，电话里索要验证码的一律是诈骗，请挂断电话后报警。</p></div>",
       "诈骗电话|挂断电话", ""},
      {"the article inside a block named like a share bar, a long promotion elsewhere",
       promo + "<div class=\"share_wrapper\"><div class=\"story\">" + EnglishProse("Story", 4) +
           EnglishProse("More", 4) + EnglishProse("Last", 4) + "</div></div>",
       "Story0|More3|Last3", ""},
      {"comments named with a word that also names articles",
       "<div class=\"main\">" + EnglishProse("Story", 3) + "</div><div class=\"comments-content\">" + comments + "</div>",
       "Story0|Story2", "Reader"},
      {"unnamed comments after a heading that opens them, a toolbar link to them before the article",
       "<div><p class=\"tools\"><a href=\"#c\">12 Comments</a></p>" + EnglishProse("Story", 3) + EnglishProse("Also", 3) +
           "<h3>12 Comments:</h3><p>Reader1 thinks the harbour plan is a waste of money, and says so at length here.</p>"
           "<p>Reader2 agrees with the first reader, and adds that the council should have asked everyone.</p></div>",
       "Story0|Also2", "Reader1|Reader2"},
      {"a comment list inside the article's container",
       "<div class=\"main\">" + EnglishProse("Story", 3) + "<div class=\"comment-list\">" + comments + "</div></div>",
       "Story0|Story2", "Reader"},
  };
  for (const auto& c : cases) {
    const std::string body = ExtractArticle(c.page).body;
    for (const std::string& piece : Pieces(c.wanted)) EXPECT_TRUE(Has(body, piece)) << c.what << ": " << piece;
    for (const std::string& piece : Pieces(c.unwanted)) EXPECT_FALSE(Has(body, piece)) << c.what << ": " << piece;
  }
}

// `count` paragraphs of plain reporting without commas (so that no rule
// keeps them for their commas alone), each tagged with `tag` and its number:
// some 2,700 characters at twenty.
std::vector<std::string> PlainParagraphs(const std::string& tag, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    out.push_back(tag + std::to_string(i) +
                  " the harbour board met again on Tuesday. The members looked at the plan for the new quay. "
                  "They voted to start the work in spring.");
  }
  return out;
}

// Each paragraph as <p>, inside `open` ... `close` around every one (a
// wrapper per paragraph) or around all of them.
std::string Paragraphs(const std::vector<std::string>& texts, const std::string& each = "",
                       const std::string& eachEnd = "") {
  std::string out;
  for (const std::string& t : texts) out += each + "<p>" + t + "</p>" + eachEnd;
  return out;
}

const std::string kNavigation =
    "<ul class=\"menu\"><li><a href=\"/\">Home</a></li><li><a href=\"/news\">News</a></li>"
    "<li><a href=\"/sport\">Sport</a></li><li><a href=\"/about\">About us</a></li></ul>";

// Every guard that removes blocks must leave a page that holds a few
// thousand characters of paragraph prose with that prose: either the rules
// keep it, or the strongest run of prose is taken as it stands.
TEST(ExtractArticle, NoGuardEmptiesAPageOfProse) {
  const std::vector<std::string> story = PlainParagraphs("Story", 20);
  const std::string prose = Paragraphs(story);
  std::string linked;  // the first sentence of every paragraph behind a link
  for (int i = 0; i < 20; ++i) {
    linked += "<p><a href=\"/quay\">Story" + std::to_string(i) + " the harbour board met again.</a> "
              "The members looked at the plan for the new quay on Tuesday. They voted to start the work in spring.</p>";
  }
  std::string aboutCookies;  // reporting whose every paragraph names the notices' own words
  for (int i = 0; i < 20; ++i) {
    aboutCookies += "<p>Story" + std::to_string(i) +
                    " the regulator said that cookie banners must offer a clear way to refuse consent. "
                    "Sites that hide the reject button will be fined from spring.</p>";
  }
  std::string aboutRights;
  for (int i = 0; i < 20; ++i) {
    aboutRights += "<p>Story" + std::to_string(i) +
                   " the court said that copyright in the photograph stays with the author. "
                   "The terms of use of the site could not take it away.</p>";
  }
  const struct {
    const char* guard;
    std::string page;
  } cases[] = {
      {"names of sidebars", kNavigation + "<div class=\"sidebar-story\">" + prose + "</div>"},
      {"names of readers' discussion", kNavigation + "<div class=\"commentary\">" + prose + "</div>"},
      {"hidden blocks, one per paragraph, a teaser shown",
       kNavigation + "<div class=\"story\"><p>Story the teaser that is shown to everyone.</p>" +
           Paragraphs(story, "<div class=\"locked\" style=\"display: none\">", "</div>") + "</div>"},
      {"a hidden block around the whole text", kNavigation + "<div hidden>" + prose + "</div>"},
      {"the words of a consent request", kNavigation + "<div>" + aboutCookies + "</div>"},
      {"the words of a footer", kNavigation + "<div>" + aboutRights + "</div>"},
      {"an aside element", kNavigation + "<aside>" + prose + "</aside>"},
      {"a footer element", kNavigation + "<footer>" + prose + "</footer>"},
      {"a heading that opens discussion, early in the article",
       kNavigation + "<div>" + Paragraphs({story[0]}) + "<h3>Discussion</h3>" +
           Paragraphs(std::vector<std::string>(story.begin() + 1, story.end())) + "</div>"},
      {"links in every paragraph", kNavigation + "<div><div class=\"text\">" + linked + "</div></div>"},
      {"form fields in the article's block",
       kNavigation + "<div><div>" + prose +
           "<input type=\"text\"><input type=\"text\"><input type=\"text\"><input type=\"text\"><input type=\"text\"><input type=\"text\"><input type=\"text\"><button>Send</button></div></div>"},
      {"players embedded in the article's block",
       kNavigation + "<div><div><iframe src=\"/v1\"></iframe>" + prose + "<iframe src=\"/v2\"></iframe></div></div>"},
      {"names that count against a block", kNavigation + "<div><div class=\"media-tools-widget\">" + prose + "</div></div>"},
      {"each paragraph wrapped in a block of its own",
       kNavigation + "<div>" + Paragraphs(story, "<div class=\"para\"><div>", "</div></div>") + "</div>"},
  };
  for (const auto& c : cases) {
    const std::string body = ExtractArticle(c.page).body;
    EXPECT_TRUE(Has(body, "Story0 ")) << c.guard;
    EXPECT_TRUE(Has(body, "Story19 ")) << c.guard;
    EXPECT_GT(body.size(), 2000u) << c.guard;
    EXPECT_FALSE(Has(body, "About us")) << c.guard;
  }
}

// When the article is taken from the strongest run of prose (hidden, or
// missed by every try), the guards still hold around it: consent bars,
// footers and readers' comments stay out.
TEST(ExtractArticle, FallbackToTheRunKeepsProseAndLeavesNoticesOut) {
  const std::vector<std::string> story = PlainParagraphs("Story", 20);
  std::string consent = "<div class=\"notice\">";
  for (int i = 0; i < 8; ++i) {
    consent += "<p>We use cookies to personalise content. By clicking accept you consent to our use of cookies "
               "and to the sharing of your personal data with third parties.</p>";
  }
  consent += "</div>";
  // Long paragraphs with a cue or two each, which score as prose, between
  // the labels of the choices: only the whole reads as a consent request.
  std::string longConsent = "<div class=\"privacy-box\">";
  for (int i = 0; i < 6; ++i) {
    longConsent += "<p>When you visit our website we store cookies on your browser to collect information. "
                   "The information might relate to you or your device and is mostly used to make the site work "
                   "as you expect it to and to give a more personal experience. You can choose not to allow some "
                   "kinds of cookies which may change how the site works for you and what we can offer.</p>"
                   "<label>Strictly necessary cookies</label> <span>Accept all</span> <span>Opt out</span> "
                   "<span>Your preferences</span> <a href=\"/privacy\">Privacy policy</a> <span>Third parties</span>";
  }
  longConsent += "</div>";
  const std::string footer =
      "<div class=\"bottom\"><p>Copyright 2026 Harbour News. All rights reserved. Terms of use. Privacy policy. "
      "Tel: 555 0100. Fax: 555 0101. Address: 1 Quay Street.</p></div>";
  std::string comments = "<div class=\"comment-list\">";
  for (int i = 0; i < 30; ++i) {
    comments += "<div class=\"comment-body\"><p>Reader" + std::to_string(i) +
                " thinks the quay is a waste of money and the board should have asked the town first. "
                "The old quay was fine for the boats we have.</p></div>";
  }
  comments += "</div>";
  const struct {
    const char* what;
    std::string page;
    std::string wanted;    // each "|"-separated piece must be in the body
    std::string unwanted;  // none of these may be
  } cases[] = {
      {"a paywalled article: a shown teaser, the text hidden, a consent bar, a footer and comments",
       consent + kNavigation + "<div class=\"story\"><p>Story the teaser that is shown to everyone.</p>" +
           Paragraphs(story, "<div class=\"locked\" style=\"display:none\">", "</div>") + "</div>" + comments + footer,
       "Story0 |Story19 ", "cookies|Reader|rights reserved|About us"},
      {"a consent text longer than the article wins first and is set aside",
       kNavigation + longConsent + "<div class=\"wysiwyg\">" + Paragraphs(PlainParagraphs("Story", 5)) + "</div>" + footer,
       "Story0 |Story4 ", "cookies|rights reserved"},
      {"an article in a block named like a discussion, beside the real comments",
       kNavigation + "<div class=\"commentary\">" + Paragraphs(story) + "</div>" + comments + footer,
       "Story0 |Story19 ", "Reader|rights reserved"},
      {"paragraphs wrapped one by one, beside a longer comment list",
       kNavigation + "<div>" + Paragraphs(story, "<div class=\"para\">", "</div>") + "</div>" + comments + footer,
       "Story0 |Story19 ", "Reader|rights reserved"},
  };
  for (const auto& c : cases) {
    const std::string body = ExtractArticle(c.page).body;
    for (const std::string& piece : Pieces(c.wanted)) EXPECT_TRUE(Has(body, piece)) << c.what << ": " << piece;
    for (const std::string& piece : Pieces(c.unwanted)) EXPECT_FALSE(Has(body, piece)) << c.what << ": " << piece;
  }
}

// A page that is nothing but a notice gives no article rather than the notice.
TEST(ExtractArticle, ANoticeAloneIsNoArticle) {
  std::string consent;
  for (int i = 0; i < 5; ++i) {
    consent += "<p>We use cookies and similar technologies. Accept all cookies or manage your preferences; "
               "see our privacy policy and terms of use.</p>";
  }
  EXPECT_EQ(ExtractArticle("<div>" + consent + "</div>").body, "");
}

TEST(ExtractArticle, TitleFromHeadlineOrPageTitleWithoutSiteName) {
  const std::string body = "<div>" + Prose("正文", 5) + "</div>";
  const struct {
    std::string head;
    std::string headline;
    std::string title;
  } cases[] = {
      {"<title>地方新闻标题-搜狐新闻</title>", "", "地方新闻标题"},
      {"<title>经济新闻标题_网易新闻</title>", "", "经济新闻标题"},
      {"<title>Storm closes the harbour | The Daily Paper</title>", "", "Storm closes the harbour"},
      {"<title>Long headline - with a dash | Site</title>", "", "Long headline - with a dash"},
      // The headline over the body wins when the title agrees with it.
      {"<title>头条：完整标题文字_新闻中心</title>", "<h1>头条：完整标题文字</h1>", "头条：完整标题文字"},
      {"<title>站点首页</title><meta property=\"og:title\" content=\"分享标题\">", "<h1>无关</h1>", "分享标题"},
      // A site name joined by a bare dash goes when a headline confirms where the title ends...
      {"<title>阿里发布最强AI芯片，一块顶十块GPU-EDN 电子技术设计</title>", "<h4>阿里发布最强AI芯片，一块顶十块GPU</h4>",
       "阿里发布最强AI芯片，一块顶十块GPU"},
      {"<title>New chip beats the GPU-EDN Asia</title><meta property=\"og:title\" content=\"New chip beats the GPU\">", "",
       "New chip beats the GPU"},
      {"<title>Daily Wire|Harbour reopens after the storm</title>", "<h1>Harbour reopens after the storm</h1>",
       "Harbour reopens after the storm"},
      // ...but not without one ("Covid-19" stays whole), and a logo's h1 never stands for the headline.
      {"<title>Covid-19 cases fall again</title>", "", "Covid-19 cases fall again"},
      {"<title>Harbour reopens after the long storm - Daily Wire</title>", "<h1>Daily Wire</h1>",
       "Harbour reopens after the long storm"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractArticle(c.head + c.headline + body).title, c.title) << c.head;
  }
}

TEST(ExtractArticle, NothingArticleLikeGivesNothing) {
  for (const std::string page : {"", "<html><body></body></html>", "<ul><li><a href=/a>首页</a><li><a href=/b>新闻</a></ul>"}) {
    const Extracted x = ExtractArticle(page);
    EXPECT_EQ(x.title, "") << page;
    EXPECT_EQ(x.body, "") << page;
  }
}

TEST(ExtractArticle, DeepNestingAndBigPagesEnd) {
  std::string deep;
  for (int i = 0; i < 10000; ++i) deep += "<div>";
  deep += Prose("深处", 5);
  EXPECT_TRUE(Has(ExtractArticle(deep).body, "深处4"));
  std::string big = "<div>";
  for (int i = 0; i < 20000; ++i) big += "<div class=\"c\"><a href=\"/x\">链接</a>" + Prose("大页", 3) + "</div>";
  EXPECT_TRUE(Has(ExtractArticle(big).body, "大页2"));
}

}  // namespace
}  // namespace html
