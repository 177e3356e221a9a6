#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/network_date.h"
#include "app/settings.h"
#include "tests/app/fake_window.h"

namespace {

using core::Control;
using core::Text;
using core::TextArray;

TEST(Settings, HostValues) {
  struct Case {
    const char* value;
    bool ok;
  };
  const Case cases[] = {
      {"www.baidu.com", true}, {"127.0.0.1:8080", true}, {"localhost", true},
      {"a-b.c:1", true},       {"h:65535", true},        {"", false},
      {"h:", false},           {"h:0", false},           {"h:65536", false},
      {"h:80x", false},        {":80", false},           {"http://h", false},
      {"h/path", false},       {"h h", false},           {"-h", false},
      {"a..b", false},         {"h:+80", false},         {"主机", false},
  };
  for (const Case& c : cases) EXPECT_EQ(app::IsHostValue(c.value), c.ok) << c.value;
}

// The host[:port] of each address the [hosts] keys move, and the news site.
struct Hosts {
  Text date = "www.baidu.com";
  Text hotlist = "top.baidu.com";
  Text hotsearch = "s.weibo.com";
  Text search = "www.baidu.com";
  Text newssite = "www.sohu.com";
};

Text HostOf(const Text& address) {
  const size_t begin = address.find("://") + 3;
  return address.substr(begin, address.find_first_of("/?", begin) - begin);
}

Hosts HostsOf(const sources::Profile& p) {
  return {HostOf(p.dateAddress), HostOf(p.hotLists[0].addresses[0].address), HostOf(p.hotLists[1].addresses[0].address),
          HostOf(p.search.engines[0].address), p.search.sites[0].host};
}

TEST(Settings, FileIsReadKeyByKeyWithDefaultsForBadLines) {
  struct Case {
    const char* content;
    Hosts expected;
    size_t problems;
  };
  const Hosts d;
  auto with = [&](Text Hosts::*key, const char* v) {
    Hosts h;
    h.*key = v;
    return h;
  };
  const Case cases[] = {
      {"", d, 0},
      {"[hosts]\r\ndate=127.0.0.1:81\r\n", with(&Hosts::date, "127.0.0.1:81"), 0},
      {"\xEF\xBB\xBF[hosts]\nhotlist = h1 \n", with(&Hosts::hotlist, "h1"), 0},
      {"; note\n# note\n[hosts]\n\nsearch=s\n", with(&Hosts::search, "s"), 0},
      {"[other]\ndate=x y\n[hosts]\nnewssite=n\n", with(&Hosts::newssite, "n"), 0},
      {"[hosts]\ndate=bad host\n", d, 1},
      {"[hosts]\ndate=h1\ndate=bad host\n", d, 1},  // a bad value falls back to the default
      {"[hosts]\nwhat=h\n", d, 1},
      {"[hosts]\njust text\n", d, 1},
      {"[hosts\ndate=h\n", d, 1},  // a broken section header: its keys are not taken
      {"date=h\n", d, 0},          // outside [hosts]
      {"[hosts]\nhotsearch=h:1\nhotsearch=\n", d, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    TextArray problems;
    const Hosts h = HostsOf(app::LoadProfile(c.content, "classic", problems));
    EXPECT_EQ(h.date, c.expected.date);
    EXPECT_EQ(h.hotlist, c.expected.hotlist);
    EXPECT_EQ(h.hotsearch, c.expected.hotsearch);
    EXPECT_EQ(h.search, c.expected.search);
    EXPECT_EQ(h.newssite, c.expected.newssite);
    EXPECT_EQ(problems.size(), c.problems);
  }
}

TEST(Settings, ProblemLineNamesTheLine) {
  TextArray problems;
  app::LoadProfile("[hosts]\r\n\r\ndate=a b\r\n", "", problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], "settings.ini 第3行的主机名 a b 无效，使用默认值");
}

TEST(CommandLine, ProxyIsTakenAsTheClientsWantIt) {
  app::CommandLine options;
  Text error;
  ASSERT_TRUE(app::ParseCommandLine({"--proxy=http://10.1.2.3:8080/"}, options, error));
  EXPECT_EQ(options.proxy, "10.1.2.3:8080");
  ASSERT_TRUE(app::ParseCommandLine({"--auto"}, options, error));
  EXPECT_EQ(options.proxy, "");
}

// The first log line names the file the program looked for, and the
// "settings.ini.txt" that Explorer shows as "settings.ini".
TEST(Settings, FirstLogLineSaysWhetherTheFileWasRead) {
  const Text path = "C:\\工具\\settings.ini";
  EXPECT_EQ(app::SettingsReadLine(path, true, false), "已读取设置文件 C:\\工具\\settings.ini");
  EXPECT_EQ(app::SettingsReadLine(path, false, false),
            "未找到设置文件 C:\\工具\\settings.ini，使用默认设置");
  const Text twin = app::SettingsReadLine(path, false, true);
  EXPECT_EQ(twin.rfind("未找到设置文件 C:\\工具\\settings.ini，", 0), 0u) << twin;
  EXPECT_NE(twin.find("settings.ini.txt"), Text::npos) << twin;
  EXPECT_NE(twin.find("使用默认设置"), Text::npos) << twin;
}

TEST(Settings, AddressesKeepSchemesAndPaths) {
  TextArray problems;
  const sources::Profile p = app::LoadProfile("", "classic", problems);
  EXPECT_EQ(p.dateAddress, "http://www.baidu.com/");
  EXPECT_EQ(p.hotLists[0].addresses[0].address, "http://top.baidu.com/buzz?b=1&fr=20811");
  EXPECT_EQ(p.hotLists[1].addresses[0].address, "https://s.weibo.com/top/summary?Refer=top_hot&topnav=1&wvr=6");
  EXPECT_EQ(app::LoadProfile("[hosts]\nhotlist=127.0.0.1:8080\n", "classic", problems).hotLists[0].addresses[0].address,
            "http://127.0.0.1:8080/buzz?b=1&fr=20811");
  EXPECT_TRUE(problems.empty());
}

TEST(CommandLine, FlagsAndValues) {
  struct Case {
    TextArray args;
    bool ok;
    const char* error;  // part of the message
  };
  const Case cases[] = {
      {{}, true, ""},
      {{"--auto", "--dedupe", "--keep-images"}, true, ""},
      {{"--images=original", "--images=local"}, true, ""},
      {{"--title=keyword-title", "--encoding=utf8", "--min-length=0"}, true, ""},
      {{"--min-length=100000000"}, true, ""},
      {{"--verbose"}, false, "未知的参数：--verbose"},
      {{"-auto"}, false, "未知的参数"},
      {{"auto"}, false, "未知的参数"},
      {{"--auto=1"}, false, "参数的值无效：--auto=1"},
      {{"--images"}, false, "参数的值无效"},
      {{"--images="}, false, "参数的值无效"},
      {{"--images=remote"}, false, "参数的值无效"},
      {{"--title=Keyword"}, false, "参数的值无效"},
      {{"--encoding=utf-8"}, false, "参数的值无效"},
      {{"--min-length=-1"}, false, "参数的值无效"},
      {{"--min-length=12a"}, false, "参数的值无效"},
      {{"--min-length="}, false, "参数的值无效"},
      {{"--min-length=100000001"}, false, "参数的值无效"},
      {{"--min-length=99999999999"}, false, "参数的值无效"},
      {{"--min-length=５"}, false, "参数的值无效"},  // full-width digits are for the box
      {{"--proxy=127.0.0.1:3128"}, true, ""},
      {{"--proxy=proxy.test"}, false, "参数的值无效：--proxy=proxy.test"},
      {{"--proxy="}, false, "参数的值无效"},
      {{"--proxy"}, false, "参数的值无效"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "" : c.args[0]);
    app::CommandLine options;
    Text error;
    EXPECT_EQ(app::ParseCommandLine(c.args, options, error), c.ok);
    EXPECT_NE(error.find(c.error), Text::npos) << error;
  }
}

TEST(CommandLine, PresetsTheControls) {
  app::CommandLine options;
  Text error;
  ASSERT_TRUE(app::ParseCommandLine({"--dedupe", "--images=local", "--title=original",
                                     "--encoding=utf8", "--min-length=120"},
                                    options, error));
  EXPECT_FALSE(options.autoRun);
  testing_support::FakeWindow window;
  // The window's own defaults first.
  window.SetChecked(Control::单选框_GBK, true);
  window.SetChecked(Control::单选框_关键词, true);
  window.SetChecked(Control::单选框_元图片, true);
  window.Set(Control::编辑框_线程1, "50");
  app::ApplyCommandLine(options, window);
  EXPECT_TRUE(window.Checked(Control::选择框_过滤重复));
  EXPECT_FALSE(window.Checked(Control::选择框_保留图片));
  EXPECT_TRUE(window.Checked(Control::单选框_图片本地化));
  EXPECT_FALSE(window.Checked(Control::单选框_元图片));
  EXPECT_TRUE(window.Checked(Control::单选框_原标题));
  EXPECT_FALSE(window.Checked(Control::单选框_关键词));
  EXPECT_FALSE(window.Checked(Control::单选框_关键词加标题));
  EXPECT_TRUE(window.Checked(Control::单选框_UTF8));
  EXPECT_FALSE(window.Checked(Control::单选框_GBK));
  EXPECT_EQ(window.Get(Control::编辑框_线程1), "120");
}

TEST(CommandLine, NoFlagsLeaveTheControls) {
  app::CommandLine options;
  Text error;
  ASSERT_TRUE(app::ParseCommandLine({"--auto"}, options, error));
  EXPECT_TRUE(options.autoRun);
  testing_support::FakeWindow window;
  window.SetChecked(Control::单选框_GBK, true);
  window.Set(Control::编辑框_线程1, "50");
  app::ApplyCommandLine(options, window);
  EXPECT_TRUE(window.Checked(Control::单选框_GBK));
  EXPECT_FALSE(window.Checked(Control::选择框_过滤重复));
  EXPECT_EQ(window.Get(Control::编辑框_线程1), "50");
}

TEST(NetworkDate, HeaderBlockToShiftedDate) {
  struct Case {
    const char* headers;
    const char* text;
  };
  const Case cases[] = {
      {"HTTP/1.1 200 OK\r\nDate: Sun, 06 Dec 2026 13:02:13 GMT\r\nServer: x\r\n\r\n",
       "2026年12月6日21时2分13秒"},
      {"HTTP/1.1 200 OK\r\nDate: Thu, 31 Dec 2026 20:00:00 GMT\r\n\r\n", "2027年1月1日4时"},
      {"HTTP/1.1 200 OK\r\nDate: Sun, 06 Dec 2026 16:00:00 GMT\r\n\r\n", "2026年12月7日"},
      {"HTTP/1.1 200 OK\r\nServer: x\r\n\r\n", "100年1月1日8时"},
      {"", "100年1月1日8时"},
      {"HTTP/1.1 200 OK\r\nDate: tomorrow\r\n\r\n", "100年1月1日8时"},
      {"HTTP/1.1 200 OK\r\ndate: Sun, 06 Dec 2026 13:02:13 GMT\r\n\r\n", "100年1月1日8时"},
      // The line must end: a cut-off block has no date.
      {"HTTP/1.1 200 OK\r\nDate: Sun, 06 Dec 2026 13:02:13 GMT", "100年1月1日8时"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(core::DateText(app::DateFromHeaders(c.headers)), c.text) << c.headers;
  }
}

}  // namespace
