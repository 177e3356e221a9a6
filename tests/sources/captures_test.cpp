// The current profile's rules on real pages of today's sites.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "collector/article_extraction.h"
#include "collector/content_cleaning.h"
#include "collector/image_download.h"
#include "core/cut.h"
#include "core/encoding.h"
#include "hotwords/hot_keywords.h"
#include "hotwords/visitor_cookie.h"
#include "sources/profile.h"
#include "tests/app/fake_window.h"

namespace {

using core::Text;
using core::TextArray;

// A capture's bytes (UTF-8 as served).
std::string Capture(const char* name) {
  std::ifstream in(std::string(HOT_CAPTURES_DIR) + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  EXPECT_FALSE(bytes.str().empty()) << name;
  return bytes.str();
}

TextArray KeywordsOf(const Text& page, const sources::HotPage& rules) {
  testing_support::FakeWindow window;
  testing_support::CountingSafePoints safePoints;
  return core::Split(hotwords::KeywordsOfPage(page, rules, "", window, safePoints), "\r\n");
}

// The board's 50 ranked words, then the pinned one.
TEST(CurrentCaptures, BoardJsonGivesEveryWord) {
  const TextArray expected = {
    "315晚会", "315曝光的鸡爪公司股东也在看晚会", "以“315”为契机 护航“365”", "哈啰回应被315晚会点名",
    "老师标配的小蜜蜂该用还是该禁", "网警提醒看不见的虚假更要防", "央视“315”晚会点名金山制药", "刘文祥店员：20元1斤能是纯牛肉吗",
    "装修一套房 要踩多少坑", "官方：彻查315晚会曝光的违法行为", "动物搬家等于末日降临系谣言", "315晚会曝光完整名单",
    "伊朗首次出动“泥石”弹道导弹", "武契奇：3个邻居准备联合进攻塞尔维亚", "“有友鸡爪”客服回应", "有友食品发声明回应315",
    "老人花3000元买“价值上亿翡翠”", "口水娃：鸡爪生产过程未添加双氧水", "增高骗局商家：孩子本来就会长个",
    "天津成立联合调查组查处被曝光企业", "安宫牛黄丸被医院“清理”", "25岁儿子毕业不工作急哭父亲", "315曝光的成都3家企业被责令停产停业",
    "周小闹回应刘文祥塌房：晚上吃啥啊", "伊朗导弹碎片击中美驻以领事官邸建筑", "农村的山寨牛奶又冒出来了", "卢秀燕呼吁两岸释善意互利互荣",
    "最怕315的私域营销上315晚会了", "美宜佳门店被查获非法卷烟139.99万支", "酒店洗手台脱落 女子脚趾被砸骨折",
    "蒯曼3比4不敌张本美和 无缘冠军", "315曝光网红鸡爪 生产车间令人作呕", "老人领鸡蛋后被电话骚扰300多次", "考研初试权重不低于50%",
    "315曝光的外泌体公司商标均已被驳回", "多平台紧急下架“乖媳妇泡椒鸡爪”", "“私域营销”5倍暴利围猎老年人", "冻干草莓重金属超标后续",
    "315点名哈啰租电动车、电驴哥", "中国女篮晋级2026世界杯", "重庆市监局通报黑心“漂白鸡爪”", "漂白鸡爪企业已被查封",
    "315曝光的增高公司曾侵权易烊千玺", "315打假网红“万能神药”外泌体", "“增高”骗局用玄学疯狂敛财", "央视曝光“荐股分成”骗局",
    "温瑞博1-4不敌F勒布伦收获亚军", "外泌体涉事美容医院曾多次被罚", "3·15晚会后 多地连夜通报", "三名院士被官网除名",
    "《推动海洋经济高质量发展》",
  };
  const Text page = core::Utf8ToGbk(Capture("baidu_top_api_board_realtime_2026-03-16.json"));
  EXPECT_EQ(KeywordsOf(page, sources::Current().hotLists[0].addresses[0]), expected);
  // The board page's embedded copy (the same JSON in its s-data comment)
  // gives the same words; a "word" elsewhere on the page does not count.
  const Text boardPage = "<html><script>var s = {\"word\":\"脚本\"};</script><!--s-data:" + page +
                         "--><div>{\"word\":\"页脚\"}</div></html>";
  EXPECT_EQ(KeywordsOf(boardPage, sources::Current().hotLists[0].addresses[1]), expected);
}

// The mobile API's answer of 2025-09-14: the first card's rows, the pinned
// one first; the rising topics of the later cards are not the hot list.
TEST(CurrentCaptures, MobileApiGivesTheFirstCardsRows) {
  const TextArray words = KeywordsOf(
      core::Utf8ToGbk(Capture("weibo_mweibocn_container_realtimehot_2025-09-14.json")),
      sources::Current().hotLists[1].addresses[2]);
  ASSERT_EQ(words.size(), 51u);
  EXPECT_EQ((TextArray(words.begin(), words.begin() + 5)),
            (TextArray{"总书记谈网络安全", "周迅如懿传谣言澄清", "孙颖莎王楚钦澳门赛冠军合影",
                       "丰收的田野是最美的画卷", "武林外传"}));
  EXPECT_EQ(words[50], "王楚钦期待和搭档更好配合");
  for (const Text& w : words) EXPECT_NE(w, "我发现很多人能真正翻身靠的是细水长流");
}

// The lists with no capture: answers built from the fields their clients
// document (no real answer was at hand), each with a decoy field of the
// same name where the documented path does not lead.
TEST(CurrentCaptures, BuiltAnswersOfTheOtherLists) {
  struct Case {
    const char* list;
    size_t address;
    Text answer;
    TextArray words;
  };
  const Case cases[] = {
      {"hotsearch", 1,
       "{\"ok\":1,\"data\":{\"hotgov\":{\"word\":\"#政务#\",\"is_ad\":0},\"realtime\":["
       "{\"word_scheme\":\"#甲#\",\"word\":\"甲\",\"star_name\":{},\"is_ad\":0},"
       "{\"is_ad\":1,\"word\":\"广告\"},{\"note\":\"乙\",\"word\":\"乙\\u0026丙\"}]}}",
       {"甲", "乙&丙"}},
      {"toutiao", 0,
       "{\"data\":[{\"ClusterId\":1,\"Title\":\"头条一\",\"Image\":{\"url_list\":[{\"url\":\"u\"}]}},"
       "{\"Title\":\"头条二\",\"QueryWord\":\"二\"}],\"status\":\"success\"}",
       {"头条一", "头条二"}},
      {"thepaper", 0,
       "{\"resultCode\":1,\"data\":{\"hotNews\":[{\"contId\":\"1\",\"name\":\"澎湃一\","
       "\"nodeInfo\":{\"name\":\"栏目\"}},{\"nodeInfo\":{\"name\":\"栏目\"},\"name\":\"澎湃二\"}]}}",
       {"澎湃一", "澎湃二"}},
      {"zhihu", 0,
       "{\"data\":[{\"target\":{\"title_area\":{\"text\":\"知乎一？\"},\"excerpt_area\":{\"text\":\"摘要\"}}},"
       "{\"target\":{\"title_area\":{\"text\":\"知乎二\"}}}]}",
       {"知乎一？", "知乎二"}},
      {"netease", 0,
       "{\"code\":200,\"data\":{\"list\":[{\"title\":\"网易一\",\"source\":{\"title\":\"来源\"}},"
       "{\"docid\":\"X\",\"title\":\"网易二\"}]}}",
       {"网易一", "网易二"}},
      {"tencent", 0,
       "{\"ret\":0,\"idlist\":[{\"newslist\":[{\"id\":\"head\",\"title\":\"腾讯热点榜\"},"
       "{\"id\":\"1\",\"title\":\"腾讯一\"},{\"id\":\"2\",\"title\":\"腾讯二\"}]}]}",
       {"腾讯一", "腾讯二"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    const sources::HotList* list = sources::FindHotList(sources::Current(), c.list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(KeywordsOf(c.answer, list->addresses[c.address]), c.words);
  }
}

TEST(CurrentCaptures, SummaryPageRowsGiveTheirKeywords) {
  // The 2021 phone layout: the pinned row first, keywords in a span before the heat.
  const TextArray phone = KeywordsOf(
      core::Utf8ToGbk(Capture("weibo_s_summary_mobile_layout_2021-08-31.html")),
      sources::Current().hotLists[1].addresses[0]);
  ASSERT_EQ(phone.size(), 52u);
  EXPECT_EQ(phone[0], "我国建立实施北斗基础产品认证制度");
  EXPECT_EQ(phone[1], "腾讯放弃音乐版权独家授权权利");
  EXPECT_EQ(phone[51], "呼兰段子犀利解读职场现状");

  // Today's desktop rows: the pinned row counts, entities are undone, the
  // advertising row is left out.
  const Text desktop =
      "<tr class=\"\"><td class=\"td-01\"><i class=\"icon-top\"></i></td>\n"
      "<td class=\"td-02\">\n<a href=\"/weibo?q=%23A%23&t=31&band_rank=1&Refer=top\">置顶</a>\n</td></tr>\n"
      "<tr><td class=\"td-01 ranktop\">1</td><td class=\"td-02\">\n"
      "<a href=\"/weibo?q=%23B%23&t=31&band_rank=2&Refer=top\">AT&amp;T 新品</a>\n"
      "<span>剧集 123456</span></td></tr>\n"
      "<tr><td class=\"td-01\"></td><td class=\"td-02\">\n"
      "<a href=\"javascript:void(0);\" word=\"广告\" action-type=\"realtimehot_ad\">广告</a></td></tr>\n"
      "<tr><td class=\"td-01\"></td><td class=\"td-02\">\n"
      "<a href=\"/weibo?q=%23C%23&Refer=top\" action-type=\"realtimehot_ad\">推广</a></td></tr>\n";
  EXPECT_EQ(KeywordsOf(desktop, sources::Current().hotLists[1].addresses[0]), (TextArray{"置顶", "AT&T 新品"}));
}

TEST(CurrentCaptures, VisitorPagesAreRecognised) {
  const sources::VisitorService& service = sources::Current().visitor;
  struct Case {
    Text text;
    int status;
    bool wall;
  };
  const Case cases[] = {
      {core::Utf8ToGbk(Capture("weibo_s_summary_visitor_wall_2022-06-01.html")), 200, true},
      {core::Utf8ToGbk(Capture("weibo_mweibocn_visitor_wall_2026-08-23.html")), 200, true},
      {core::Utf8ToGbk(Capture("weibo_s_summary_mobile_layout_2021-08-31.html")), 200, false},
      {"", 403, true},
      {"", 432, true},
      {"", 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hotwords::IsVisitorWall({c.text, c.status}, service), c.wall) << c.status;
  }
}

// The 2020 article: its title from the script, or from the headline when
// the script is gone; its body holds every paragraph a person copied.
TEST(CurrentCaptures, ArticleTitleAndBody) {
  const sources::Profile& current = sources::Current();
  const std::string bytes = Capture("sohu_www_article_434365209_2020-11.html");
  const Text page = collector::ArticlePageText(core::Bytes(bytes.begin(), bytes.end()),
                                               current.article.percentDecode);
  const Text title = "刺死辱母者于欢的罪与悔：出狱第一晚仅睡三四个小时";
  const collector::ArticleCut cut = collector::CutArticle(page, current.article);
  EXPECT_EQ(cut.layout, 1);
  EXPECT_EQ(cut.title, title);
  const Text noScript = core::ReplaceAll(page, "title: \"", "titel: \"");
  EXPECT_EQ(collector::CutArticle(noScript, current.article).title, title);

  collector::ImageSources images;
  const Text body = collector::CleanBody(cut.body, false, images, current.cleaning);
  for (const Text& line :
       core::Split(core::Utf8ToGbk(Capture("sohu_www_article_434365209_2020-11.body.txt")), "\n")) {
    if (!line.empty()) EXPECT_NE(core::Find(body, line), -1) << line;
  }
  EXPECT_EQ(core::Find(body, "返回搜狐"), -1);
  EXPECT_EQ(core::Find(body, "原标题"), -1);  // hidden on the page
  EXPECT_EQ(core::Find(body, "展开全文"), -1);
  EXPECT_EQ(core::Find(body, "<"), -1);
  // Blanks between ASCII words stay: the collapsed rule.
  EXPECT_NE(core::Find(body, "i’m possible"), -1);
}

// The 2024 article saved from a browser, and the same page as its server
// sends it: the body picture's address encrypted into data-src (with
// `openssl enc -aes-128-ecb -K <hex of www.sohu.com6666> -base64 -A`), no src.
// Both forms keep the one body picture at its real address.
TEST(CurrentCaptures, TheBodyPictureOfTheSavedAndTheServedSohuPage) {
  const sources::Profile& current = sources::Current();
  const std::string saved = Capture("articles/sohu_780060546_458722_2024-05.html");
  const std::string address = "//q6.itc.cn/q_70/images01/20240520/68c32a9ebb35432f89f422df63c01004.jpeg";
  const std::string savedTag = "<img max-width=\"600\" src=\"" + address + "\">";
  ASSERT_NE(saved.find(savedTag), std::string::npos);
  std::string served = saved;
  served.replace(served.find(savedTag), savedTag.size(),
                 "<img max-width=\"600\" data-src=\"wXdZHLbub1cJf8KN0C5vfYXaTgBS/sUYRwBH9AVx62fy21mCmldT+"
                 "imBuyQKqPX84vzTY6f0nRHp2/Ejy/rhawI2XuQPaI4sBDR011pAHGU=\">");
  for (const std::string& bytes : {saved, served}) {
    const Text page = collector::ArticlePageText(core::Bytes(bytes.begin(), bytes.end()), false);
    const collector::ArticleCut cut = collector::CutArticle(page, current.article);
    EXPECT_EQ(cut.layout, 1);
    EXPECT_EQ(cut.title, "悲壮！布伦森遭遇左手骨折 第三节受伤提前离场");
    collector::ImageSources images;
    int leftOut = 0;
    const Text body = collector::CleanBody(cut.body, true, images, current.cleaning,
                                           {true, current.search.sites[0].imageKey}, &leftOut);
    TextArray tags;
    core::FindAllBetween(body, "<img", ">", tags);
    EXPECT_EQ(tags, TextArray{" src=\"" + address + "\""});
    EXPECT_EQ(leftOut, 0);
    EXPECT_EQ(collector::ServedPictureName(address, "image/jpeg"), "68c32a9ebb35432f89f422df63c01004.jpeg");
  }
}

// The article pages of the three default sites, saved from a browser in
// 2024, read as a pass reads them (sohu by its layout, 163 and Tencent by the
// general extractor, then the cleaning): the headline, every paragraph of
// the article from the first to the last, its pictures, and nothing of the
// page around them (the paragraphs were counted in the pages' sources).
TEST(CurrentCaptures, ArticlesOfTheThreeSites) {
  struct Case {
    const char* file;
    int layout;
    const char* title;
    size_t lines;
    const char* first;  // the body's first line
    const char* last;   // its last line
    size_t pictures;
    const char* picture;  // the first picture's address begins so
    std::vector<const char*> absent;
  };
  const Case cases[] = {
      {"articles/sohu_780060546_458722_2024-05.html", 1, "悲壮！布伦森遭遇左手骨折 第三节受伤提前离场", 4,
       "北京时间5月20日，今天NBA季后赛步行者130-109战胜尼克斯，大比分4-3晋级东部决赛。", "（编辑：小何）", 1,
       "//q6.itc.cn/q_70/images01/20240520/", {"返回搜狐", "责任编辑", "平台声明", "大家都在看"}},
      {"articles/163_J22CN60P0514R9KQ_2024-05.html", 0, "租户将车停自家院子要交“资源占用费”？村民打“12345”讨说法", 28,
       "“一闸之隔，进入道闸里面每月要收150元，外面不收费，车子就都停在外面的小树林了。”近来，一则短视频引起了"
       "不少网友的关注。视频里介绍的，是上海部分农村地区试点探索物业管理新模式后，引发的一系列新矛盾。",
       "编辑/倪家宁", 3, "https://nimg.ws.126.net/?url=http%3A%2F%2Fdingyue.ws.126.net%2F2024%2F0513%2F",
       {"特别声明", "Notice", "责任编辑", "用微信扫码", "网易"}},
      {"articles/qq_20240518A060RN00_2024-05.html", 0, "汽车品牌直播拍到女主播裙底，涉事账号被无限期封禁！", 6,
       "近日，捷途汽车一门店直播时出现女主播裙底的不雅画面，引来“擦边”质疑。据抖音黑板报发布的公告，涉事门店的"
       "抖音账号已被无限期封禁。",
       "来源|综合抖音黑板报、南方都市报", 1, "https://inews.gtimg.com/news_bt/O17myyyy7by81mr_MpQnW82DtOGJ7V8SkvBSiY_gtVrukAA/641",
       {"全新首页", "精选频道", "腾讯新闻", "评论"}},
  };
  const sources::Profile& current = sources::Current();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string bytes = Capture(c.file);
    const Text page = collector::ArticlePageText(core::Bytes(bytes.begin(), bytes.end()),
                                                 current.article.percentDecode);
    const collector::ArticleCut cut = collector::ReadArticle(page, current.article);
    EXPECT_EQ(cut.layout, c.layout);
    EXPECT_EQ(cut.title, c.title);  // literals are GBK
    collector::ImageSources images;
    const Text body = collector::CleanBody(cut.body, false, images, current.cleaning);
    const TextArray lines = core::Split(body, "\r\n");
    ASSERT_EQ(lines.size(), c.lines) << core::GbkToUtf8(body);
    EXPECT_EQ(lines.front(), c.first);
    EXPECT_EQ(lines.back(), c.last);
    for (const char* noise : c.absent) EXPECT_EQ(core::Find(body, noise), -1) << noise;

    const Text kept = collector::CleanBody(cut.body, true, images, current.cleaning);
    const TextArray pictures = core::Split(kept, "<img src=\"");
    ASSERT_EQ(pictures.size(), c.pictures + 1) << core::GbkToUtf8(kept);
    EXPECT_TRUE(core::StartsWith(pictures[1], c.picture)) << pictures[1];
  }
}

}  // namespace
