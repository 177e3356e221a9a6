// The program itself, started with --auto beside a settings.ini that points
// its hosts at the loopback test server: one pass, the log on standard
// output, exit code 0; a bad flag: exit code 2 and nothing fetched.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/encoding.h"
#include "core/file_system.h"
#include "tests/http/wire/test_server.h"

#ifndef HOT_APP_EXE
#error "HOT_APP_EXE names the built program"
#endif

namespace {

using core::Text;

struct RunResult {
  DWORD exitCode = 0xFFFFFFFF;
  std::string out;  // standard output, UTF-8
  std::string err;
};

// Runs the program copied into `dir` with `arguments`; standard output and
// error go to files there.
RunResult RunProgram(const std::filesystem::path& dir, const std::wstring& arguments) {
  RunResult result;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  const std::wstring outPath = (dir / "out.txt").wstring(), errPath = (dir / "err.txt").wstring();
  HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           0, nullptr);
  HANDLE err = CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           0, nullptr);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = err;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  std::wstring command = L"\"" + (dir / "hotarticles.exe").wstring() + L"\" " + arguments;
  const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      dir.wstring().c_str(), &si, &pi);
  CloseHandle(out);
  CloseHandle(err);
  if (!started) return result;
  if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
  GetExitCodeProcess(pi.hProcess, &result.exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  core::ReadWholeFile(core::WideToGb18030(core::Wide(outPath.begin(), outPath.end())), result.out);
  core::ReadWholeFile(core::WideToGb18030(core::Wide(errPath.begin(), errPath.end())), result.err);
  return result;
}

class AutoRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.available()) << "run under tools/with-test-server";
    ASSERT_TRUE(server_.Reset());
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("auto_run_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    // The build names the program by its Unix path; Wine shows / as Z:.
    std::string exe = std::string("Z:") + HOT_APP_EXE;
    for (char& c : exe) c = c == '/' ? '\\' : c;
    ASSERT_TRUE(CopyFileA(exe.c_str(), (dir_ / "hotarticles.exe").string().c_str(), FALSE));
  }
  void TearDown() override {
    std::error_code ignored;  // Wine may hold a file of the child a moment longer
    std::filesystem::remove_all(dir_, ignored);
  }

  // A file in the test folder; GBK names stay out of std::filesystem, which
  // would take them in the ANSI code page.
  Text In(const Text& name) const { return dir_.string() + "\\" + name; }

  wire::TestServer server_;
  std::filesystem::path dir_;
};

TEST_F(AutoRunTest, OnePassAgainstTheTestServer) {
  wire::Answer date;
  date.headers = {{"Date", "Sun, 06 Dec 2026 13:02:13 GMT"}};
  ASSERT_TRUE(server_.Script("/", date));
  wire::Answer list;
  list.body = "<meta charset=gb2312><a href_top=\"./d?w=1\">甲事件</a>"
              "<a href_top=\"./d?w=2\">乙新闻</a>";
  ASSERT_TRUE(server_.Script("/buzz", list));
  // The hot-search page is https on a port that refuses, the search too:
  // the pass goes on without them.
  const Text settings = "[hosts]\r\ndate=" + server_.http() + "\r\nhotlist=" + server_.http() +
                        "\r\nhotsearch=127.0.0.1:1\r\nsearch=127.0.0.1:1\r\nnewssite=bad host\r\n"
                        "[sources]\r\nprofile=classic\r\n";
  ASSERT_TRUE(core::WriteWholeFile(In("settings.ini"), settings));
  ASSERT_TRUE(core::WriteWholeFile(In("历史关键词库.txt"), "乙新闻旧"));

  const RunResult run = RunProgram(dir_, L"--auto --dedupe --min-length=10");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  // The settings problem and the end of the pass reach standard output.
  EXPECT_NE(run.out.find(core::GbkToUtf8("settings.ini 第6行的主机名 bad host 无效，使用默认值")),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(core::GbkToUtf8("任务完成")), std::string::npos) << run.out;
  std::string history;
  ASSERT_TRUE(core::ReadWholeFile(In("历史关键词库.txt"), history));
  EXPECT_EQ(history, "乙新闻旧\r\n甲事件");  // --dedupe left 乙新闻 out
  EXPECT_TRUE(core::DirectoryExists(In("采集文章\\2026年12月6日21时2分13秒")));
  // The date by HEAD, then the hot list.
  ASSERT_GE(server_.Count(), 2);
  EXPECT_EQ(wire::Parse(server_.Request(0)).line, "HEAD / HTTP/1.1");
  EXPECT_EQ(wire::Parse(server_.Request(1)).line, "GET /buzz?b=1&fr=20811 HTTP/1.1");
}

TEST_F(AutoRunTest, BadFlagEndsWithCodeTwoAndFetchesNothing) {
  struct Case {
    const wchar_t* arguments;
    const char* message;
  };
  const Case cases[] = {
      {L"--auto --bogus", "未知的参数：--bogus"},
      {L"--auto --images=remote", "参数的值无效：--images=remote"},
      {L"--min-length=x --auto", "参数的值无效：--min-length=x"},
      {L"--auto --profile=latest", "参数的值无效：--profile=latest"},
  };
  const Text settings = "[hosts]\r\ndate=" + server_.http() + "\r\nhotlist=" + server_.http() + "\r\n";
  ASSERT_TRUE(core::WriteWholeFile(In("settings.ini"), settings));
  for (const Case& c : cases) {
    const RunResult run = RunProgram(dir_, c.arguments);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_NE(run.err.find(core::GbkToUtf8(c.message)), std::string::npos) << run.err;
  }
  EXPECT_EQ(server_.Count(), 0);
  EXPECT_FALSE(core::DirectoryExists(In("采集文章")));
}

// A classic pass whose hot pages give no keyword names the way to today's
// sources.
TEST_F(AutoRunTest, ClassicPassWithoutKeywordsHints) {
  wire::Answer changed;
  changed.body = "<html>gone</html>";
  ASSERT_TRUE(server_.Script("/buzz", changed));
  const Text settings = "[hosts]\r\ndate=" + server_.http() + "\r\nhotlist=" + server_.http() +
                        "\r\nhotsearch=127.0.0.1:1\r\n[sources]\r\nprofile=classic\r\n";
  ASSERT_TRUE(core::WriteWholeFile(In("settings.ini"), settings));
  const RunResult run = RunProgram(dir_, L"--auto");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find(core::GbkToUtf8("提示：两个热点页面都没有关键词，网站可能已改版。可在 settings.ini 的 "
                                         "[sources] 中设置 profile=current，或用命令行 --profile=current\r\n")),
            std::string::npos)
      << run.out;
}

// --profile=current wins over the file: the board JSON, the visitor
// service's cookie on the summary page, the browser's lines.
TEST_F(AutoRunTest, CurrentPassSendsTheVisitorCookie) {
  wire::Answer board;
  board.body = core::GbkToUtf8("{\"data\":{\"cards\":[{\"content\":[{\"word\":\"甲事件\"}]}]}}");
  ASSERT_TRUE(server_.Script("/api/board", board));
  wire::Answer visitor;
  visitor.body = "visitor_gray_callback({\"retcode\":20000000,\"data\":{\"sub\":\"S1\",\"subp\":\"P1\"}})";
  ASSERT_TRUE(server_.Script("/visitor/genvisitor2", visitor));
  wire::Answer summary;
  summary.body = core::GbkToUtf8("<td class=\"td-02\"><a href=\"/weibo?q=%23B%23&t=31\">乙新闻</a></td>");
  ASSERT_TRUE(server_.Script("/top/summary", summary));
  // A host name: current checks certificates, and the test CA's names "localhost".
  const std::string https = server_.LocalhostHttpsUrl("").substr(std::string("https://").size());
  const Text settings = "[sources]\r\nprofile=classic\r\n[hosts]\r\ndate=" + server_.http() +
                        "\r\nhotlist=" + https + "\r\nhotsearch=" + https + "\r\nvisitor=" + https +
                        "\r\nsearch=127.0.0.1:1\r\n";
  ASSERT_TRUE(core::WriteWholeFile(In("settings.ini"), settings));

  const RunResult run = RunProgram(dir_, L"--auto --profile=current");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  std::string history;
  ASSERT_TRUE(core::ReadWholeFile(In("历史关键词库.txt"), history));
  EXPECT_EQ(history, "\r\n甲事件\r\n乙新闻");
  ASSERT_EQ(server_.Count(), 4) << server_.Log();
  EXPECT_EQ(wire::Parse(server_.Request(1)).line,
            "GET /api/board?platform=wise&tab=realtime HTTP/1.1");
  const wire::ParsedRequest post = wire::Parse(server_.Request(2));
  EXPECT_EQ(post.line, "POST /visitor/genvisitor2 HTTP/1.1");
  EXPECT_EQ(post.body, "cb=visitor_gray_callback&tid=&from=weibo");
  EXPECT_EQ(wire::LinesNamed(post, "Content-Type"),
            std::vector<std::string>{"Content-Type: application/x-www-form-urlencoded"});
  const wire::ParsedRequest page = wire::Parse(server_.Request(3));
  EXPECT_EQ(page.line, "GET /top/summary?cate=realtimehot HTTP/1.1");
  EXPECT_EQ(wire::LinesNamed(page, "Cookie"), std::vector<std::string>{"Cookie: SUB=S1; SUBP=P1"});
  EXPECT_EQ(wire::LinesNamed(page, "Referer"), std::vector<std::string>{"Referer: https://weibo.com/"});
  const auto agent = wire::LinesNamed(page, "User-Agent");
  ASSERT_EQ(agent.size(), 1u);
  EXPECT_NE(agent[0].find("Chrome/"), std::string::npos);
}

}  // namespace
