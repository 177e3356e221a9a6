// The network date and the hot-keyword harvest against the loopback test
// server, under Wine, with the real HTTP clients and the real window.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/collection_pass_win32.h"
#include "app/main_window_win32.h"
#include "app/network_date.h"
#include "core/encoding.h"
#include "core/file_system.h"
#include "hotwords/hot_keywords.h"
#include "tests/http/wire/test_server.h"

namespace {

using core::Control;
using core::Text;

class AppWireTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.available()) << "run under tools/with-test-server";
    ASSERT_TRUE(server_.Reset());
  }
  wire::TestServer server_;
};

TEST_F(AppWireTest, NetworkDateFromTheHeadAnswer) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> headers;
    const char* text;
  };
  const Case cases[] = {
      {"date line", {{"Date", "Sun, 06 Dec 2026 13:02:13 GMT"}}, "2026年12月6日21时2分13秒"},
      {"into the next year", {{"Server", "t"}, {"Date", "Thu, 31 Dec 2026 20:00:00 GMT"}},
       "2027年1月1日4时"},
      {"no date line", {{"Server", "t"}}, "100年1月1日8时"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(server_.Reset());
    wire::Answer answer;
    answer.headers = c.headers;
    answer.body = "ignored";
    ASSERT_TRUE(server_.Script("/", answer));
    EXPECT_EQ(core::DateText(app::NetworkDate(server_.Url("/"))), c.text);
    ASSERT_EQ(server_.Count(), 1);
    EXPECT_EQ(wire::Parse(server_.Request()).line, "HEAD / HTTP/1.1");
  }
}

TEST_F(AppWireTest, NetworkDateWithoutAnswer) {
  // Nothing listens on port 1 of the loopback address.
  EXPECT_EQ(core::DateText(app::NetworkDate("http://127.0.0.1:1/")), "100年1月1日8时");
  // A stopped pass sends nothing.
  http::CancelToken cancelled;
  cancelled.Cancel();
  wire::Answer answer;
  answer.headers = {{"Date", "Sun, 06 Dec 2026 13:02:13 GMT"}};
  ASSERT_TRUE(server_.Script("/", answer));
  EXPECT_EQ(core::DateText(app::NetworkDate(server_.Url("/"), &cancelled)), "100年1月1日8时");
  EXPECT_EQ(server_.Count(), 0);
}

// The hot list in GBK (meta gb2312) and the hot-search page in UTF-8 (meta
// utf-8), fetched by the pass's fetch into the real window.
TEST_F(AppWireTest, HarvestIntoTheWindowAndTheHistoryFile) {
  const Text listPage =
      "<html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=gb2312\">"
      "</head><body><table>\r\n"
      "<tr><td class=\"keyword\"><a class=\"list-title\" target=\"_blank\" "
      "href_top=\"./detail?b=1&c=513&w=%BC%D7\">甲事件</a></td></tr>\r\n"
      "<tr><td class=\"keyword\"><a class=\"list-title\" target=\"_blank\" "
      "href_top=\"./detail?b=1&c=513&w=%D2%D2\">乙新闻</a></td></tr>\r\n"
      "</table></body></html>";
  const Text searchPage =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>\n"
      "<td class=\"td-02\"><a href=\"/weibo?q=%23%E4%B8%99%23&Refer=top\" "
      "target=\"_blank\">丙话题</a></td>\n"
      "<td class=\"td-02\"><a href=\"/weibo?q=%23old%23&Refer=top\" target=\"_blank\">旧词</a></td>\n"
      "</body></html>";
  wire::Answer list;
  list.headers = {{"Content-Type", "text/html"}};
  list.body = listPage;
  wire::Answer search;
  search.headers = {{"Content-Type", "text/html"}};
  search.body = core::GbkToUtf8(searchPage);
  ASSERT_TRUE(server_.Script("/buzz", list));
  ASSERT_TRUE(server_.Script("/top/summary", search));

  const auto dir = std::filesystem::temp_directory_path() / "app_wire_harvest";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const Text historyPath = dir.string() + hotwords::kHistoryFileName;
  // The history names 旧词 already, as a part of a longer keyword.
  ASSERT_TRUE(core::WriteWholeFile(historyPath, "\r\n旧词汇"));

  app::MainWindow window(app::MainWindowConfig{});
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
  window.Ops().SetChecked(Control::选择框_过滤重复, true);
  app::PassControl control;
  app::WindowService ops(window.Handle(), &control);
  sources::Profile profile = sources::Classic();
  profile.hotLists[0].addresses[0].address = server_.Url("/buzz?b=1&fr=20811");
  profile.hotLists[1].addresses[0].address = server_.Url("/top/summary?Refer=top_hot&topnav=1&wvr=6");
  hotwords::VisitorCookie visitorCookie;
  const hotwords::HarvestSetup setup{profile, historyPath, app::PassRequestFetch(control),
                                     visitorCookie};
  Text history;
  hotwords::HarvestHotKeywords(setup, ops, control, history);

  EXPECT_EQ(window.Ops().ReadText(Control::编辑框_热点关键词), "甲事件\r\n乙新闻\r\n丙话题");
  std::string file;
  ASSERT_TRUE(core::ReadWholeFile(historyPath, file));
  EXPECT_EQ(file, "\r\n旧词汇\r\n甲事件\r\n乙新闻\r\n丙话题");
  EXPECT_FALSE(core::FileExists(historyPath + ".tmp"));
  ASSERT_EQ(server_.Count(), 2);
  EXPECT_EQ(wire::Parse(server_.Request(0)).line, "GET /buzz?b=1&fr=20811 HTTP/1.1");
  EXPECT_EQ(wire::Parse(server_.Request(1)).line,
            "GET /top/summary?Refer=top_hot&topnav=1&wvr=6 HTTP/1.1");
  std::filesystem::remove_all(dir);
}

}  // namespace
