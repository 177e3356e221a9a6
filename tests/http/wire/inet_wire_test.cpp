// InetFetch against the loopback test server: the request on the wire,
// the written-back options, cookies, redirects, large headers and bodies,
// time-outs and cancellation.
#include <algorithm>
#include <chrono>
#include <thread>

#include "http/inet_fetch.h"
#include "tests/http/wire/wire_helpers.h"

namespace wire {
namespace {

using http::Bytes;
using http::RequestOptions;
using http::Text;

const char kAgent[] = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

std::string AsString(const Bytes& b) { return std::string(b.begin(), b.end()); }

using InetWire = WireTest;

TEST_F(InetWire, UrlOnlySendsDefaultLinesAndDeliversEveryOutput) {
  Answer a = Body("<html>article</html>");
  a.headers = {{"Set-Cookie", "a=1; path=/"}, {"Set-Cookie", "b=2"}};
  ASSERT_TRUE(server.Script("/page", a));
  const std::string url = server.Url("/page?Q=1");

  Text responseHeaders, responseCookies;
  RequestOptions o;
  o.responseHeaders = &responseHeaders;
  o.responseCookies = &responseCookies;
  EXPECT_EQ(AsString(http::InetFetch(url, o)), "<html>article</html>");

  const ParsedRequest r = Last();
  EXPECT_EQ(r.line, "GET /page?Q=1 HTTP/1.1");
  EXPECT_TRUE(InOrder(r.headers, {"Accept: */*", "Referer: " + url, "Accept-Language: zh-cn"}));
  EXPECT_EQ(LinesNamed(r, "User-Agent"), std::vector<std::string>{kAgent});
  EXPECT_TRUE(LinesNamed(r, "Content-Type").empty());
  EXPECT_EQ(o.headers, Text("Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn"));
  EXPECT_EQ(responseHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << responseHeaders;
  EXPECT_EQ(responseCookies, "a=1; b=2");
}

TEST_F(InetWire, OptionsMakeTheRequestTheyDescribe) {
  ASSERT_TRUE(server.Script("/o", Body("ok")));
  const std::string url = server.Url("/o");
  struct Case {
    const char* name;
    void (*set)(RequestOptions&);
    const char* line;
    std::vector<std::string> present;
    std::vector<std::string> absent;
    std::string body;
  } cases[] = {
      {"method 1 posts the text with a form type", [](RequestOptions& o) { o.method = 1, o.postText = "k=v"; },
       "POST /o HTTP/1.1", {"Accept: */*", "Content-Type: application/x-www-form-urlencoded"}, {}, "k=v"},
      {"method 3 has no form type", [](RequestOptions& o) { o.method = 3, o.postText = "x"; }, "PUT /o HTTP/1.1", {},
       {"Content-Type"}, "x"},
      {"method 5", [](RequestOptions& o) { o.method = 5; }, "DELETE /o HTTP/1.1", {}, {}, ""},
      {"method 9 is GET", [](RequestOptions& o) { o.method = 9; }, "GET /o HTTP/1.1", {}, {}, ""},
      {"method -3 is GET", [](RequestOptions& o) { o.method = -3; }, "GET /o HTTP/1.1", {}, {}, ""},
      {"postBytes win", [](RequestOptions& o) { o.method = 1, o.postText = "t", o.postBytes = Bytes{'b', 0, 'y'}; },
       "POST /o HTTP/1.1", {}, {}, std::string("b\0y", 3)},
      {"caller's agent is the agent", [](RequestOptions& o) { o.headers = "User-Agent: Mine/1.0"; }, "GET /o HTTP/1.1",
       {"User-Agent: Mine/1.0"}, {}, ""},
      {"bare cookies", [](RequestOptions& o) { o.cookies = "a=1; b=2"; }, "GET /o HTTP/1.1", {"Cookie: a=1; b=2"}, {},
       ""},
      {"no defaults", [](RequestOptions& o) { o.addDefaultHeaders = false, o.headers = "X-A: 1"; }, "GET /o HTTP/1.1",
       {"X-A: 1"}, {"Referer", "Accept-Language"}, ""},
      {"a Chinese header value goes as its GBK bytes", [](RequestOptions& o) { o.headers = "X-Name: 中文"; },
       "GET /o HTTP/1.1", {"X-Name: \xD6\xD0\xCE\xC4"}, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RequestOptions o;
    c.set(o);
    const int before = server.Count();
    EXPECT_EQ(AsString(http::InetFetch(url, o)), "ok");
    ASSERT_EQ(server.Count(), before + 1);
    const ParsedRequest r = Last();
    EXPECT_EQ(r.line, c.line);
    EXPECT_TRUE(InOrder(r.headers, c.present));
    for (const std::string& name : c.absent) EXPECT_TRUE(LinesNamed(r, name).empty()) << name;
    EXPECT_EQ(r.body, c.body);
  }
  // A Chinese path and query go out percent-escaped in UTF-8, as WinHttpFetch sends them.
  ASSERT_TRUE(server.Script("/o/%E5%9B%BE", Body("ok")));
  EXPECT_EQ(AsString(http::InetFetch(server.Url("/o/图?q=图"))), "ok");
  EXPECT_EQ(Last().line, "GET /o/%E5%9B%BE?q=%E5%9B%BE HTTP/1.1");

  // Method 1 with only a text: the caller's postBytes receive its bytes.
  RequestOptions o;
  o.method = 1;
  o.postText = "p=1";
  http::InetFetch(url, o);
  EXPECT_EQ(o.postBytes, (Bytes{'p', '=', '1'}));
}

TEST_F(InetWire, GivenCookiesSwitchWinInetsOwnCookiesOff) {
  Answer setter = Body("set");
  setter.headers = {{"Set-Cookie", "auto=1; path=/"}};
  ASSERT_TRUE(server.Script("/set", setter));
  Answer plain = Body("ok");
  plain.headers = {{"Set-Cookie", "b=3"}};
  ASSERT_TRUE(server.Script("/o", plain));

  http::InetFetch(server.Url("/set"));
  http::InetFetch(server.Url("/o"));
  const std::vector<std::string> own = LinesNamed(Last(), "Cookie");  // WinInet's own store
  ASSERT_EQ(own.size(), 1u);
  EXPECT_NE(own[0].find("auto=1"), std::string::npos) << own[0];

  RequestOptions empty;
  empty.cookies = "";
  Text responseCookies;
  empty.responseCookies = &responseCookies;
  http::InetFetch(server.Url("/o"), empty);
  EXPECT_TRUE(LinesNamed(Last(), "Cookie").empty());
  EXPECT_EQ(responseCookies, "b=3");
  EXPECT_EQ(empty.cookies, Text("b=3"));  // merged even when given empty

  RequestOptions merged;
  merged.cookies = "a=1; b=2";
  merged.responseCookies = &responseCookies;
  http::InetFetch(server.Url("/o"), merged);
  EXPECT_EQ(LinesNamed(Last(), "Cookie"), std::vector<std::string>{"Cookie: a=1; b=2"});
  EXPECT_EQ(responseCookies, "b=3; a=1");
  EXPECT_EQ(merged.cookies, Text("b=3; a=1"));
}

TEST_F(InetWire, RedirectsFollowedOrHandedBack) {
  Answer final = Body("final page");
  final.headers = {{"Set-Cookie", "f=1"}};
  ASSERT_TRUE(server.Script("/target", final));
  Answer toHttp = Body("moved");
  toHttp.redirect = server.Url("/target");
  ASSERT_TRUE(server.Script("/r1", toHttp));
  Answer toHttps = Body("to https");
  toHttps.redirect = server.HttpsUrl("/target");
  ASSERT_TRUE(server.Script("/r2", toHttps));

  for (const char* path : {"/r1", "/r2"}) {
    SCOPED_TRACE(path);
    Text cookies;
    RequestOptions o;
    o.responseCookies = &cookies;
    EXPECT_EQ(AsString(http::InetFetch(server.Url(path), o)), "final page");
    EXPECT_EQ(cookies, "f=1");  // those of the final response
  }
  EXPECT_EQ(Last().line, "GET /target HTTP/1.1");
  RequestOptions o;
  o.noRedirect = true;
  Text headers;
  o.responseHeaders = &headers;
  EXPECT_EQ(AsString(http::InetFetch(server.Url("/r1"), o)), "moved");
  EXPECT_NE(headers.find("Location: " + server.Url("/target")), Text::npos);
}

TEST_F(InetWire, HttpsWithASelfSignedCertificate) {
  ASSERT_TRUE(server.Script("/s", Body("secret")));
  EXPECT_EQ(AsString(http::InetFetch(server.HttpsUrl("/s"))), "secret");
}

TEST_F(InetWire, AHeaderBlockOverFiveThousandBytesKeepsItsCookies) {
  Answer a = Body("ok");
  a.headers = {{"Set-Cookie", "first=1"}, {"Set-Cookie", "second=2; path=/"}};
  a.headerPad = 12 * 1024;
  ASSERT_TRUE(server.Script("/h", a));
  Text headers, cookies;
  RequestOptions o;
  o.responseHeaders = &headers;
  o.responseCookies = &cookies;
  EXPECT_EQ(AsString(http::InetFetch(server.Url("/h"), o)), "ok");
  EXPECT_GT(headers.size(), 12000u);
  EXPECT_EQ(headers.find_first_not_of(' '), 0u);
  EXPECT_EQ(cookies, "first=1; second=2");
}

TEST_F(InetWire, LargeBodiesPlainAndChunkedArriveWhole) {
  const long size = 20L << 20;
  Answer plain;
  plain.bodySize = size;
  ASSERT_TRUE(server.Script("/big", plain));
  Answer chunked = plain;
  chunked.chunked = true;
  chunked.chunkSize = 100000;
  ASSERT_TRUE(server.Script("/bigc", chunked));
  const std::string expected = NumberedLines(size);
  for (const char* path : {"/big", "/bigc"}) {
    SCOPED_TRACE(path);
    const Bytes body = http::InetFetch(server.Url(path));
    EXPECT_EQ(body.size(), expected.size());
    EXPECT_TRUE(std::equal(body.begin(), body.end(), expected.begin(), expected.end()));
  }
}

TEST_F(InetWire, FailuresAndBodiesCutShortReturnEmpty) {
  Answer dropped;
  dropped.bodySize = 200000;
  dropped.dropAfter = 50000;
  ASSERT_TRUE(server.Script("/drop", dropped));
  EXPECT_TRUE(http::InetFetch(server.Url("/drop")).empty());

  Text headers = "before", cookies = "before";
  RequestOptions o;
  o.responseHeaders = &headers;
  o.responseCookies = &cookies;
  EXPECT_TRUE(http::InetFetch("http://127.0.0.1:1/x", o).empty());
  EXPECT_EQ(headers, "");  // no response, no header block (and no blanks)
  EXPECT_EQ(cookies, "");
}

TEST_F(InetWire, ASilentServerEndsWithTheTimeOut) {
  Answer silent;
  silent.silent = true;
  ASSERT_TRUE(server.Script("/silent", silent));
  RequestOptions o;
  o.timeoutSeconds = 2;
  Text headers = "before";
  o.responseHeaders = &headers;
  EXPECT_TRUE(http::InetFetch(server.Url("/silent"), o).empty());
  EXPECT_EQ(headers, "");
}

TEST_F(InetWire, ThroughTheProxy) {
  ASSERT_TRUE(server.Script("/p", Body("proxied")));
  RequestOptions o;
  o.proxy = server.proxy();
  EXPECT_EQ(AsString(http::InetFetch("http://example.invalid/p", o)), "proxied");
  const ParsedRequest r = Last();
  EXPECT_EQ(r.line.rfind("GET http://example.invalid", 0), 0u) << r.line;
}

// Without a check (the classic sources, or certificates=ignore) a
// certificate from an unknown CA, for another name, passes.
TEST_F(InetWire, UncheckedHttpsTakesAnyCertificate) {
  ASSERT_TRUE(server.Script("/u", Body("unchecked")));
  std::vector<Text> lines;
  http::CertificateCheck ignore(false, [&lines](const Text& line) { lines.push_back(line); });
  for (const char* fault : {"untrusted", "wrong_name"}) {
    RequestOptions o;
    o.certificates = &ignore;
    const std::string url = "https://localhost:" + std::to_string(server.BadTlsPort(fault)) + "/u";
    EXPECT_EQ(AsString(http::InetFetch(url, o)), "unchecked") << fault;
    EXPECT_EQ(AsString(http::InetFetch(url)), "unchecked") << fault;
  }
  EXPECT_TRUE(lines.empty());
}

TEST_F(InetWire, HttpsThroughTheProxyByConnect) {
  ASSERT_TRUE(server.Script("www.sohu.com/a/1_2", Body("article of the stand-in")));
  RequestOptions o;
  o.proxy = server.proxy();
  EXPECT_EQ(AsString(http::InetFetch("https://www.sohu.com/a/1_2", o)), "article of the stand-in");
  ASSERT_EQ(server.Count(), 2) << server.Log();
  EXPECT_EQ(Parse(server.Request(0)).line, "CONNECT www.sohu.com:443 HTTP/1.1");
  const ParsedRequest inner = Parse(server.Request(1));
  EXPECT_EQ(inner.line, "GET /a/1_2 HTTP/1.1");
  EXPECT_EQ(LinesNamed(inner, "Host"), std::vector<std::string>{"Host: www.sohu.com"});

  // A picture on another host right after: a tunnel of its own.
  ASSERT_TRUE(server.Script("p1.itc.cn/pic.png", Body("picture bytes")));
  EXPECT_EQ(AsString(http::InetFetch("https://p1.itc.cn/pic.png", o)), "picture bytes");
  ASSERT_EQ(server.Count(), 4) << server.Log();
  EXPECT_EQ(Parse(server.Request(2)).line, "CONNECT p1.itc.cn:443 HTTP/1.1");
}

TEST_F(InetWire, Cancellation) {
  ASSERT_TRUE(server.Script("/x", Body("x")));
  {
    SCOPED_TRACE("before sending");
    http::CancelToken token;
    token.Cancel();
    RequestOptions o;
    o.cancel = &token;
    o.headers = "X: 1";
    EXPECT_TRUE(http::InetFetch(server.Url("/x"), o).empty());
    EXPECT_EQ(server.Count(), 0);
    EXPECT_EQ(o.headers, Text("X: 1"));
  }
  {
    SCOPED_TRACE("between chunks");
    Answer slow;
    slow.bodySize = 20L << 20;
    slow.chunkSize = 64 * 1024;
    slow.chunkDelay = 0.02;
    ASSERT_TRUE(server.Script("/slow", slow));
    http::CancelToken token;
    int checkpoints = 0;
    token.SetPauseHook([&] {
      if (++checkpoints == 40) token.Cancel();
    });
    Text headers = "untouched";
    RequestOptions o;
    o.cancel = &token;
    o.responseHeaders = &headers;
    EXPECT_TRUE(http::InetFetch(server.Url("/slow"), o).empty());
    EXPECT_EQ(checkpoints, 40);
    EXPECT_EQ(headers, "untouched");
  }
  {
    SCOPED_TRACE("blocked on a silent server");
    Answer silent;
    silent.silent = true;
    ASSERT_TRUE(server.Script("/silent", silent));
    ASSERT_TRUE(server.Reset() && server.Script("/silent", silent));
    http::CancelToken token;
    std::thread canceller([&] {
      while (server.Count() < 1) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      token.Cancel();
    });
    Text headers = "untouched";
    RequestOptions o;
    o.cancel = &token;
    o.timeoutSeconds = 3;
    o.responseHeaders = &headers;
    EXPECT_TRUE(http::InetFetch(server.Url("/silent"), o).empty());
    canceller.join();
    EXPECT_EQ(headers, "untouched");
  }
}

}  // namespace
}  // namespace wire
