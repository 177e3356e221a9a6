// A hot list's addresses tried in turn under the current profile: each way an
// address fails moves on to the next, the log names the failed and the used
// address, and a keyword two lists share is listed once.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "hotwords/hot_keywords.h"
#include "tests/app/fake_window.h"

namespace {

using core::Control;
using core::Text;
using core::TextArray;
using hotwords::FetchedPage;
using hotwords::HotListHealth;
using testing_support::CountingSafePoints;
using testing_support::FakeWindow;

constexpr char kBoard[] = "https://top.baidu.com/api/board?platform=wise&tab=realtime";
constexpr char kBoardPage[] = "https://top.baidu.com/board?tab=realtime";
constexpr char kSummary[] = "https://s.weibo.com/top/summary?cate=realtimehot";
constexpr char kSide[] = "https://weibo.com/ajax/side/hotSearch";
constexpr char kMobile[] =
    "https://m.weibo.cn/api/container/getIndex?containerid=106003type%3D25%26t%3D3%26disable_hot%3D1"
    "%26filter_type%3Drealtimehot";
constexpr char kVisitorService[] = "https://passport.weibo.com/visitor/genvisitor2";
constexpr char kWall[] = "<html><head><title>Sina Visitor System</title></head></html>";

// Answers built from the fields the lists document.
Text Board(const TextArray& words) {
  Text items;
  for (const Text& w : words) items += Text(items.empty() ? "" : ",") + "{\"word\":\"" + w + "\"}";
  return "{\"data\":{\"cards\":[{\"content\":[" + items + "]}]}}";
}

Text Side(const TextArray& words, const TextArray& ads = {}) {
  Text items;
  for (const Text& w : words) {
    items += Text(items.empty() ? "" : ",") + "{\"word\":\"" + w + "\",\"star_name\":{},\"is_ad\":0}";
  }
  for (const Text& w : ads) items += ",{\"is_ad\":1,\"word\":\"" + w + "\"}";
  return "{\"ok\":1,\"data\":{\"realtime\":[" + items + "],\"hotgov\":{\"word\":\"#置顶#\"}}}";
}

Text Mobile(const TextArray& words) {
  Text items;
  for (const Text& w : words) items += Text(items.empty() ? "" : ",") + "{\"desc\":\"" + w + "\"}";
  return "{\"ok\":1,\"data\":{\"cards\":[{\"card_group\":[" + items +
         "]},{\"card_group\":[{\"desc\":\"上升\"}]}]}}";
}

Text SummaryPage(const TextArray& words) {
  Text rows;
  for (const Text& w : words) rows += "<td class=\"td-02\"><a href=\"/weibo?q=%23x%23\">" + w + "</a></td>\n";
  return "<table>" + rows + "</table>";
}

class HotListTries : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("hot_list_tries_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // One harvest of `profile` whose addresses answer from `answers` (a missing
  // address is a failed request); the visitor service hands out a cookie.
  void Harvest(const sources::Profile& profile, const std::map<Text, FetchedPage>& answers) {
    fetched_.clear();
    health_.clear();
    window_ = std::make_unique<FakeWindow>();
    const hotwords::HarvestSetup setup{
        profile, dir_.string() + "/history.txt",
        [this, answers](const hotwords::PageRequest& request) {
          if (request.url == kVisitorService) {
            return FetchedPage{"cb({\"data\":{\"sub\":\"S\",\"subp\":\"P\"}})", 200};
          }
          fetched_.push_back(request.url);
          const auto found = answers.find(request.url);
          return found == answers.end() ? FetchedPage{} : found->second;
        },
        cookie_};
    CountingSafePoints safePoints;
    Text history;
    found_ = hotwords::HarvestHotKeywords(setup, *window_, safePoints, history, &health_);
  }

  std::filesystem::path dir_;
  hotwords::VisitorCookie cookie_;
  std::unique_ptr<FakeWindow> window_;
  TextArray fetched_;
  std::vector<HotListHealth> health_;
  int found_ = 0;
};

TEST_F(HotListTries, EachFailureMovesOnToTheNextAddress) {
  const FetchedPage board{Board({"甲"}), 200};
  const FetchedPage wall{kWall, 200};
  struct Case {
    const char* name;
    std::map<Text, FetchedPage> answers;
    TextArray fetched;  // the microblog's tries, visitor renewals aside
    Text box;
    Text log;
    int address;  // the microblog's address used, 0 for none
  };
  const Text summaryWall = "微博热搜 地址1失败（访客验证页）：s.weibo.com/top/summary\r\n";
  const Text side403 = "微博热搜 地址2失败（状态403）：weibo.com/ajax/side/hotSearch\r\n";
  const Text mobileUsed = "微博热搜改用地址3：m.weibo.cn/api/container/getIndex\r\n";
  const Case cases[] = {
      {"the first address works: no other is asked",
       {{kBoard, board}, {kSummary, {SummaryPage({"乙", "丙"}), 200}}},
       {kSummary}, "甲\r\n乙\r\n丙", "", 1},
      {"visitor page twice, then the side list",
       {{kBoard, board}, {kSummary, wall}, {kSide, {Side({"乙"}), 200}}},
       {kSummary, kSummary, kSide}, "甲\r\n乙", summaryWall + "微博热搜改用地址2：weibo.com/ajax/side/hotSearch\r\n", 2},
      {"a visitor status (432) twice counts as the visitor page",
       {{kBoard, board}, {kSummary, {"", 432}}, {kSide, {Side({"乙"}), 200}}},
       {kSummary, kSummary, kSide}, "甲\r\n乙", summaryWall + "微博热搜改用地址2：weibo.com/ajax/side/hotSearch\r\n", 2},
      {"visitor page twice, 403, then the mobile API",
       {{kBoard, board}, {kSummary, wall}, {kSide, {"forbidden", 403}}, {kMobile, {Mobile({"丁", "戊"}), 200}}},
       {kSummary, kSummary, kSide, kMobile}, "甲\r\n丁\r\n戊", summaryWall + side403 + mobileUsed, 3},
      {"a 403 whose page holds keywords still fails",
       {{kBoard, board}, {kSummary, wall}, {kSide, {Side({"乙"}), 403}}, {kMobile, {Mobile({"丙"}), 200}}},
       {kSummary, kSummary, kSide, kMobile}, "甲\r\n丙", summaryWall + side403 + mobileUsed, 3},
      {"an empty list (only advertising rows) and a failed request",
       {{kBoard, board}, {kSummary, {"<html>改版</html>", 200}}, {kSide, {Side({}, {"广告"}), 200}},
        {kMobile, {Mobile({"丁"}), 200}}},
       {kSummary, kSide, kMobile}, "甲\r\n丁",
       "微博热搜 地址1失败（无关键词）：s.weibo.com/top/summary\r\n"
       "微博热搜 地址2失败（无关键词）：weibo.com/ajax/side/hotSearch\r\n" + mobileUsed, 3},
      {"every address fails: the list gives nothing, the other list stays",
       {{kBoard, board}, {kSide, {"", 500}}, {kMobile, wall}},
       {kSummary, kSide, kMobile, kMobile}, "甲",
       "微博热搜 地址1失败（请求失败）：s.weibo.com/top/summary\r\n"
       "微博热搜 地址2失败（状态500）：weibo.com/ajax/side/hotSearch\r\n"
       "微博热搜 地址3失败（访客验证页）：m.weibo.cn/api/container/getIndex\r\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cookie_.Set("");
    Harvest(sources::Current(), c.answers);
    TextArray tries(fetched_.begin() + 1, fetched_.end());
    EXPECT_EQ(fetched_.front(), kBoard);
    EXPECT_EQ(tries, c.fetched);
    EXPECT_EQ(window_->Get(Control::编辑框_热点关键词), c.box);
    EXPECT_EQ(window_->Get(Control::编辑框1), c.log);
    ASSERT_EQ(health_.size(), 2u);
    EXPECT_EQ(health_[0].address, 1);
    EXPECT_EQ(health_[1].label, "微博热搜");
    EXPECT_EQ(health_[1].address, c.address);
    EXPECT_EQ(found_, health_[0].keywords + health_[1].keywords);
  }
}

// The search engine's list falls back to the board page's embedded copy.
TEST_F(HotListTries, BoardPageAfterTheBoardJson) {
  const Text page = "<html><script>var x = {\"word\":\"脚本里\"};</script><!--s-data:" + Board({"甲", "乙"}) +
                    "--><div>\"word\":\"页面里\"</div></html>";
  Harvest(sources::Current(), {{kBoard, {"{\"success\":false}", 200}},
                               {kBoardPage, {page, 200}},
                               {kSummary, {SummaryPage({"丙"}), 200}}});
  EXPECT_EQ(window_->Get(Control::编辑框_热点关键词), "甲\r\n乙\r\n丙");
  EXPECT_EQ(window_->Get(Control::编辑框1),
            "百度热搜 地址1失败（无关键词）：top.baidu.com/api/board\r\n百度热搜改用地址2：top.baidu.com/board\r\n");
  EXPECT_EQ(hotwords::HotListHealthLine(health_[0]), "热点榜 百度热搜：关键词2个（地址2）\r\n");
}

// A keyword two lists share, or one list twice, is listed (and so searched)
// once; blanks and ASCII case do not make it another keyword. The first
// place it takes stays.
TEST_F(HotListTries, SharedKeywordsAreListedOnce) {
  sources::Profile profile = sources::Current();
  profile.hotOrder = {"hotlist", "hotsearch", "toutiao"};
  const Text toutiao = "{\"data\":[{\"Title\":\"丙\"},{\"Title\":\"iphone 17 发布\"},{\"Title\":\"丁\"}]}";
  Harvest(profile, {{kBoard, {Board({"甲", "iPhone17发布", "乙", "甲"}), 200}},
                    {kSummary, {SummaryPage({"乙", "丙"}), 200}},
                    {"https://www.toutiao.com/hot-event/hot-board/?origin=toutiao_pc", {toutiao, 200}}});
  EXPECT_EQ(window_->Get(Control::编辑框_热点关键词), "甲\r\niPhone17发布\r\n乙\r\n丙\r\n丁");
  // Each list counts what it gave.
  ASSERT_EQ(health_.size(), 3u);
  EXPECT_EQ(health_[0].keywords, 4);
  EXPECT_EQ(health_[1].keywords, 2);
  EXPECT_EQ(health_[2].keywords, 3);
  EXPECT_EQ(health_[2].label, "今日头条");
}

// Classic keeps its one address per page, its lines and its repeats.
TEST_F(HotListTries, ClassicKeepsItsLinesAndRepeats) {
  sources::Profile profile = sources::Classic();
  Harvest(profile, {{"http://top.baidu.com/buzz?b=1&fr=20811", {"<a href_top=1>甲</a>", 403}},
                    {"https://s.weibo.com/top/summary?Refer=top_hot&topnav=1&wvr=6", {"", 0}}});
  EXPECT_EQ(window_->Get(Control::编辑框_热点关键词), "甲");
  EXPECT_EQ(window_->Get(Control::编辑框1),
            "热点页面获取失败：https://s.weibo.com/top/summary?Refer=top_hot&topnav=1&wvr=6\r\n");
  Harvest(profile, {{"http://top.baidu.com/buzz?b=1&fr=20811", {"<a href_top=1>甲</a><a href_top=2>甲</a>", 200}}});
  EXPECT_EQ(window_->Get(Control::编辑框_热点关键词), "甲\r\n甲");
}

TEST(HotListLines, ShortAndNamed) {
  struct Case {
    Text line;
    const char* expected;
  };
  const Case cases[] = {
      {hotwords::ShortAddress("https://a.b/c/d?x=1&y=2"), "a.b/c/d"},
      {hotwords::ShortAddress("http://a.b"), "a.b"},
      {hotwords::HotAddressFailedLine("头条", 1, "https://t/h?o=1", hotwords::HotAnswer::kRefused, 401),
       "头条 地址1失败（状态401）：t/h\r\n"},
      {hotwords::HotListHealthLine({"知乎热榜", 0, 0}), "热点榜 知乎热榜：没有关键词（所有地址都失败）\r\n"},
      {hotwords::HotListHealthLine({"微博热搜", 51, 3}), "热点榜 微博热搜：关键词51个（地址3）\r\n"},
      {hotwords::UniqueKeywords("a b\r\nAB\r\nab c\r\nA\tB"), "a b\r\nab c"},
      {hotwords::UniqueKeywords(""), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.line, c.expected);
}

}  // namespace
