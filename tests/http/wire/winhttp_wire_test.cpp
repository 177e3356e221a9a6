// WinHttpFetch against the loopback test server: the request on the wire,
// every output, redirects, time-outs, failures and cancellation.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/page_limit.h"
#include "http/inet_fetch.h"
#include "http/winhttp_fetch.h"
#include "tests/http/wire/wire_helpers.h"

namespace wire {
namespace {

using http::Bytes;
using http::RequestOptions;
using http::Text;

const char kUa[] = "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";
const char kAccept[] = "Accept: text/html, application/xhtml+xml, */*";
const char kEncoding[] = "Accept-Encoding: gbk, GB2312";
const char kLanguage[] = "Accept-Language: zh-cn";
const char kCache[] = "Cache-Control: no-cache";
const char kForm[] = "Content-Type: application/x-www-form-urlencoded";

using WinHttpWire = WireTest;

TEST_F(WinHttpWire, UrlOnlySendsDefaultLinesAndDeliversEveryOutput) {
  Answer a = Body("<html>hello</html>");
  a.headers = {{"Set-Cookie", "a=1; path=/"}, {"Set-Cookie", "b=2"}, {"X-Other", "1"}};
  ASSERT_TRUE(server.Script("/page", a));

  Text statusText, responseHeaders, responseCookies, location = "kept";
  Bytes responseBody;
  RequestOptions o;
  o.statusText = &statusText;
  o.responseHeaders = &responseHeaders;
  o.responseCookies = &responseCookies;
  o.location = &location;
  o.responseBody = &responseBody;
  EXPECT_EQ(http::WinHttpFetch(server.Url("/page?q=1&r=%20"), o), "<html>hello</html>");

  const ParsedRequest r = Last();
  EXPECT_EQ(r.line, "GET /page?q=1&r=%20 HTTP/1.1");
  EXPECT_TRUE(InOrder(r.headers, {kUa, kAccept, kEncoding, kLanguage, kCache}));
  EXPECT_TRUE(LinesNamed(r, "Cookie").empty());
  EXPECT_TRUE(LinesNamed(r, "Content-Type").empty());
  EXPECT_EQ(statusText, "200 OK\r");
  EXPECT_EQ(responseHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << responseHeaders;
  EXPECT_NE(responseHeaders.find("X-Other: 1\r\n"), Text::npos);
  EXPECT_EQ(responseCookies, "a=1; b=2");
  EXPECT_EQ(location, "kept");
  EXPECT_EQ(responseBody, Bytes(a.body.begin(), a.body.end()));
}

TEST_F(WinHttpWire, OptionsMakeTheRequestTheyDescribe) {
  ASSERT_TRUE(server.Script("/o", Body("ok")));
  struct Case {
    const char* name;
    void (*set)(RequestOptions&);
    const char* line;
    std::vector<std::string> present;
    std::vector<std::string> absent;  // header names
    std::string body;
  } cases[] = {
      {"method 1 posts the text with a form type", [](RequestOptions& o) { o.method = 1, o.postText = "k=v"; },
       "POST /o HTTP/1.1", {kUa, kAccept, kEncoding, kLanguage, kForm, kCache}, {}, "k=v"},
      {"method 2", [](RequestOptions& o) { o.method = 2; }, "HEAD /o HTTP/1.1", {kUa}, {"Content-Type"}, ""},
      {"method 3 has no form type", [](RequestOptions& o) { o.method = 3, o.postText = "x"; }, "PUT /o HTTP/1.1",
       {kUa}, {"Content-Type"}, "x"},
      {"method 4", [](RequestOptions& o) { o.method = 4; }, "OPTIONS /o HTTP/1.1", {kUa}, {}, ""},
      {"method 5", [](RequestOptions& o) { o.method = 5; }, "DELETE /o HTTP/1.1", {kUa}, {}, ""},
      {"method 6", [](RequestOptions& o) { o.method = 6; }, "TRACE /o HTTP/1.1", {kUa}, {}, ""},
      {"method 8 is GET", [](RequestOptions& o) { o.method = 8; }, "GET /o HTTP/1.1", {kUa}, {}, ""},
      {"method -1 is GET", [](RequestOptions& o) { o.method = -1; }, "GET /o HTTP/1.1", {kUa}, {}, ""},
      {"postBytes win over postText", [](RequestOptions& o) { o.method = 1, o.postText = "text", o.postBytes = Bytes{'b', 0, 'y'}; },
       "POST /o HTTP/1.1", {kForm}, {}, std::string("b\0y", 3)},
      {"caller user-agent wins, renamed", [](RequestOptions& o) { o.headers = "user-agent: X"; }, "GET /o HTTP/1.1",
       {"User-Agent: X", kAccept, kEncoding, kLanguage, kCache}, {}, ""},
      {"caller content-type kept for POST", [](RequestOptions& o) { o.method = 1, o.headers = "content-type: text/plain"; },
       "POST /o HTTP/1.1", {"Content-Type: text/plain"}, {}, ""},
      {"bare cookies become a Cookie line", [](RequestOptions& o) { o.cookies = "a=1; b=2"; }, "GET /o HTTP/1.1",
       {kCache, "Cookie: a=1; b=2"}, {}, ""},
      {"a whole Cookie line is sent as it is", [](RequestOptions& o) { o.cookies = "Cookie: z=1"; }, "GET /o HTTP/1.1",
       {"Cookie: z=1"}, {}, ""},
      {"the caller's Cookie line wins over cookies", [](RequestOptions& o) { o.headers = "Cookie: h=1", o.cookies = "c=2"; },
       "GET /o HTTP/1.1", {"Cookie: h=1"}, {}, ""},
      {"no defaults", [](RequestOptions& o) { o.addDefaultHeaders = false, o.headers = "X-A: 1"; }, "GET /o HTTP/1.1",
       {"X-A: 1"}, {"Accept", "Accept-Language", "Cache-Control"}, ""},
      {"keep-alive line dropped", [](RequestOptions& o) { o.headers = "Connection: keep-alive\r\nX-B: 2"; },
       "GET /o HTTP/1.1", {"X-B: 2"}, {}, ""},
      {"no normalising keeps the caller's names", [](RequestOptions& o) { o.normaliseHeaders = false, o.headers = "x-low: v"; },
       "GET /o HTTP/1.1", {"x-low: v"}, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RequestOptions o;
    c.set(o);
    const int before = server.Count();
    http::WinHttpFetch(server.Url("/o"), o);
    ASSERT_EQ(server.Count(), before + 1);
    const ParsedRequest r = Last();
    EXPECT_EQ(r.line, c.line);
    EXPECT_TRUE(InOrder(r.headers, c.present));
    for (const std::string& name : c.absent) EXPECT_TRUE(LinesNamed(r, name).empty()) << name;
    EXPECT_EQ(r.body, c.body);
  }
  // A keep-alive line the caller sends is never duplicated by ours.
  RequestOptions o;
  o.headers = "Connection: keep-alive\r\nX-B: 2";
  http::WinHttpFetch(server.Url("/o"), o);
  for (const std::string& line : LinesNamed(Last(), "Connection")) EXPECT_NE(line, "Connection: keep-alive");
}

TEST_F(WinHttpWire, CookiesMergeIntoTheCallersVariables) {
  Answer a = Body("ok");
  a.headers = {{"Set-Cookie", "b=3; path=/"}, {"Set-Cookie", "c=4"}, {"set-cookie", "lower=1"},
               {"Set-Cookie", "gone=deleted"}};
  ASSERT_TRUE(server.Script("/c", a));
  struct Case {
    const char* name;
    std::optional<Text> cookies;
    std::optional<bool> merge;
    Text responseBefore;
    Text responseAfter;
    std::optional<Text> cookiesAfter;
  } cases[] = {
      {"merged", Text("a=1; b=2"), std::nullopt, "", "b=3; c=4; a=1", Text("b=3; c=4; a=1")},
      {"merge off", Text("a=1; b=2"), false, "", "b=3; c=4; gone=deleted", Text("a=1; b=2")},
      {"no cookies, appended to the old text", std::nullopt, std::nullopt, "old=1; ", "old=1; b=3; c=4; gone=deleted",
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Text responseCookies = c.responseBefore;
    RequestOptions o;
    o.cookies = c.cookies;
    o.mergeCookies = c.merge;
    o.responseCookies = &responseCookies;
    EXPECT_EQ(http::WinHttpFetch(server.Url("/c"), o), "ok");
    EXPECT_EQ(responseCookies, c.responseAfter);
    EXPECT_EQ(o.cookies, c.cookiesAfter);
  }
}

TEST_F(WinHttpWire, RedirectsFollowedOrHandedBack) {
  ASSERT_TRUE(server.Script("/target", Body("final page")));
  Answer toHttp = Body("moved");
  toHttp.redirect = server.Url("/target");
  ASSERT_TRUE(server.Script("/r1", toHttp));
  Answer chain = Body("moved again");
  chain.redirect = server.Url("/r1");
  ASSERT_TRUE(server.Script("/r2", chain));
  Answer toHttps = Body("to https");
  toHttps.redirect = server.HttpsUrl("/target");
  ASSERT_TRUE(server.Script("/r3", toHttps));

  EXPECT_EQ(http::WinHttpFetch(server.Url("/r2")), "final page");
  EXPECT_EQ(http::WinHttpFetch(server.Url("/r3")), "final page");
  EXPECT_EQ(Last().line, "GET /target HTTP/1.1");

  Text location, statusText;
  RequestOptions o;
  o.noRedirect = true;
  o.location = &location;
  o.statusText = &statusText;
  EXPECT_EQ(http::WinHttpFetch(server.Url("/r2"), o), "moved again");
  EXPECT_EQ(location, server.Url("/r1"));
  EXPECT_EQ(statusText, "302 Found\r");
}

TEST_F(WinHttpWire, HttpsWithASelfSignedCertificate) {
  Answer a = Body("secret");
  a.headers = {{"Set-Cookie", "s=1; Secure"}};
  ASSERT_TRUE(server.Script("/s", a));
  Text responseCookies;
  RequestOptions o;
  o.responseCookies = &responseCookies;
  EXPECT_EQ(http::WinHttpFetch(server.HttpsUrl("/s"), o), "secret");
  EXPECT_EQ(responseCookies, "s=1");
}

// Without a check (the classic sources, or certificates=ignore) a
// certificate from an unknown CA passes, and nothing is told.
TEST_F(WinHttpWire, UncheckedHttpsTakesAnyCertificate) {
  const std::string port = std::to_string(server.BadTlsPort("untrusted"));
  ASSERT_TRUE(server.Script("/u", Body("unchecked")));
  std::vector<Text> lines;
  http::CertificateCheck ignore(false, [&lines](const Text& line) { lines.push_back(line); });
  RequestOptions o;
  o.certificates = &ignore;
  EXPECT_EQ(http::WinHttpFetch("https://localhost:" + port + "/u", o), "unchecked");
  EXPECT_EQ(http::WinHttpFetch("https://localhost:" + port + "/u"), "unchecked");
  EXPECT_TRUE(lines.empty());
}

TEST_F(WinHttpWire, NumberedErrorTexts) {
  Answer dropped;
  dropped.close = true;
  ASSERT_TRUE(server.Script("/close", dropped));
  Answer slow = Body("late");
  slow.delay = 4;
  ASSERT_TRUE(server.Script("/slow", slow));
  struct Case {
    const char* name;
    std::string url;
    int timeoutSeconds;
    std::vector<Text> texts;  // any of them
  } cases[] = {
      {"not a URL", "nonsense", 0, {"701 解析URL地址失败!"}},
      {"unknown scheme", "ftp://127.0.0.1/x", 0, {"701 解析URL地址失败!"}},
      {"closed port", "http://127.0.0.1:1/x", 0, {"711 发送请求失败!", "712 服务器未响应!"}},
      {"connection closed before an answer", server.Url("/close"), 0, {"712 服务器未响应!", "711 发送请求失败!"}},
      {"slower than the time-out", server.Url("/slow"), 1, {"712 服务器未响应!"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Text statusText = "before", headers = "h", cookies = "c";
    RequestOptions o;
    o.timeoutSeconds = c.timeoutSeconds;
    o.statusText = &statusText;
    o.responseHeaders = &headers;
    o.responseCookies = &cookies;
    EXPECT_EQ(http::WinHttpFetch(c.url, o), "");
    EXPECT_NE(std::find(c.texts.begin(), c.texts.end(), statusText), c.texts.end()) << statusText;
    EXPECT_EQ(headers, "h");
    EXPECT_EQ(cookies, "c");
  }
}

TEST_F(WinHttpWire, ABodyCutShortIsAFailedRead) {
  Answer plain;
  plain.bodySize = 200000;
  plain.dropAfter = 70000;
  ASSERT_TRUE(server.Script("/drop", plain));
  Text statusText;
  RequestOptions o;
  o.statusText = &statusText;
  EXPECT_EQ(http::WinHttpFetch(server.Url("/drop"), o), "");
  EXPECT_EQ(statusText, "713 读取数据失败!");
}

TEST_F(WinHttpWire, LargeBodiesPlainAndChunkedArriveWhole) {
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
    Bytes body;
    RequestOptions o;
    o.responseBody = &body;
    const Text text = http::WinHttpFetch(server.Url(path), o);
    EXPECT_EQ(body.size(), expected.size());
    EXPECT_TRUE(std::equal(body.begin(), body.end(), expected.begin(), expected.end()));
    EXPECT_EQ(text.size(), expected.size());
  }
}

// A body past the largest page we accept is a failed fetch, as a stream
// that never ends would be, not a page held in memory without bound.
TEST_F(WinHttpWire, BodyPastTheLargestPageFails) {
  Answer huge;
  huge.bodySize = long(core::kLargestPageBytes) + 1;
  huge.chunked = true;
  huge.chunkSize = 1 << 20;
  ASSERT_TRUE(server.Script("/huge", huge));
  Text statusText;
  Bytes body;
  RequestOptions o;
  o.statusText = &statusText;
  o.responseBody = &body;
  EXPECT_EQ(http::WinHttpFetch(server.Url("/huge"), o), "");
  EXPECT_EQ(statusText, "713 读取数据失败!");
  EXPECT_TRUE(body.empty());
  EXPECT_TRUE(http::InetFetch(server.Url("/huge")).empty());
}

TEST_F(WinHttpWire, PagesDecodedByTheirDeclaredCharset) {
  struct Case {
    const char* name;
    std::string page;
    Text text;
  } cases[] = {
      {"utf-8", "<meta charset=\"utf-8\"><p>\xE4\xB8\xAD\xE6\x96\x87</p>", "<meta charset=\"utf-8\"><p>中文</p>"},
      {"big5", "<meta http-equiv=Content-Type content=\"text/html; charset=big5\">\xA4\xA4\xA4\xE5",
       "<meta http-equiv=Content-Type content=\"text/html; charset=big5\">中文"},
      {"gb2312", "<meta charset=gb2312>中文", "<meta charset=gb2312>中文"},
      {"none", "中文", "中文"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(server.Script("/cs", Body(c.page)));
    EXPECT_EQ(http::WinHttpFetch(server.Url("/cs")), c.text);
  }
}

TEST_F(WinHttpWire, ProxyAndCredentials) {
  Answer viaProxy = Body("through the proxy");
  viaProxy.proxyAuth = "pu:pp";
  ASSERT_TRUE(server.Script("/p", viaProxy));
  RequestOptions o;
  o.proxy = server.proxy();
  o.proxyUser = "pu";
  o.proxyPassword = "pp";
  EXPECT_EQ(http::WinHttpFetch("http://example.invalid/p", o), "through the proxy");
  ParsedRequest r = Last();
  // Wine names the default port in the absolute form; both forms are sound.
  EXPECT_TRUE(r.line == "GET http://example.invalid/p HTTP/1.1" || r.line == "GET http://example.invalid:80/p HTTP/1.1")
      << r.line;
  EXPECT_EQ(LinesNamed(r, "Proxy-Authorization"), std::vector<std::string>{"Proxy-Authorization: Basic cHU6cHA="});

  Answer guarded = Body("welcome");
  guarded.auth = "user:pw";
  ASSERT_TRUE(server.Script("/guarded", guarded));
  RequestOptions s;
  s.userName = "user";
  s.userPassword = "pw";
  EXPECT_EQ(http::WinHttpFetch(server.Url("/guarded"), s), "welcome");
  RequestOptions half;
  half.userName = "user";  // no password: no credentials, and no error either
  Text statusText;
  half.statusText = &statusText;
  EXPECT_EQ(http::WinHttpFetch(server.Url("/guarded"), half), "authentication required");
  EXPECT_EQ(statusText, "401 Unauthorized\r");
}

// https through a proxy is a CONNECT to the host named in the address.
TEST_F(WinHttpWire, HttpsThroughTheProxyByConnect) {
  ASSERT_TRUE(server.Script("cn.bing.com/search", Body("results of the stand-in")));
  RequestOptions o;
  o.proxy = server.proxy();
  EXPECT_EQ(http::WinHttpFetch("https://cn.bing.com/search?q=site%3Awww.sohu.com+x", o),
            "results of the stand-in");
  ASSERT_EQ(server.Count(), 2) << server.Log();
  EXPECT_EQ(Parse(server.Request(0)).line, "CONNECT cn.bing.com:443 HTTP/1.1");
  const ParsedRequest inner = Parse(server.Request(1));
  // Wine's WinHTTP keeps the absolute form inside the tunnel, which servers
  // take as well.
  EXPECT_TRUE(inner.line == "GET /search?q=site%3Awww.sohu.com+x HTTP/1.1" ||
              inner.line == "GET https://cn.bing.com:443/search?q=site%3Awww.sohu.com+x HTTP/1.1")
      << inner.line;
  EXPECT_EQ(LinesNamed(inner, "Host"), std::vector<std::string>{"Host: cn.bing.com"});

  // The next request, for another host and with a body, has a tunnel of its
  // own: one left open to the first host must not carry it.
  Answer visitor = Body("pass");
  ASSERT_TRUE(server.Script("passport.weibo.com/visitor", visitor));
  o.method = 1;
  o.postText = "cb=x";
  EXPECT_EQ(http::WinHttpFetch("https://passport.weibo.com/visitor", o), "pass");
  ASSERT_EQ(server.Count(), 4) << server.Log();
  EXPECT_EQ(Parse(server.Request(2)).line, "CONNECT passport.weibo.com:443 HTTP/1.1");
  EXPECT_EQ(Parse(server.Request(3)).body, "cb=x");
}

TEST_F(WinHttpWire, ALargeHeaderBlockKeepsItsCookies) {
  Answer a = Body("ok");
  a.headers = {{"Set-Cookie", "first=1"}};
  a.headerPad = 12 * 1024;
  ASSERT_TRUE(server.Script("/h", a));
  Text cookies, headers;
  RequestOptions o;
  o.responseCookies = &cookies;
  o.responseHeaders = &headers;
  EXPECT_EQ(http::WinHttpFetch(server.Url("/h"), o), "ok");
  EXPECT_EQ(cookies, "first=1");
  EXPECT_GT(headers.size(), 12000u);
}

TEST_F(WinHttpWire, CancelledBeforeSendingSendsNothing) {
  ASSERT_TRUE(server.Script("/x", Body("x")));
  http::CancelToken token;
  token.Cancel();
  Text statusText = "untouched";
  RequestOptions o;
  o.cancel = &token;
  o.statusText = &statusText;
  EXPECT_EQ(http::WinHttpFetch(server.Url("/x"), o), "");
  EXPECT_EQ(server.Count(), 0);
  EXPECT_EQ(statusText, "untouched");
}

TEST_F(WinHttpWire, CancelledBetweenChunksEndsTheExchange) {
  Answer slow;
  slow.bodySize = 20L << 20;
  slow.chunkSize = 64 * 1024;
  slow.chunkDelay = 0.02;
  ASSERT_TRUE(server.Script("/slow", slow));
  http::CancelToken token;
  int checkpoints = 0;
  // The pause hook runs at every safe point; the fifth one cancels.
  token.SetPauseHook([&] {
    if (++checkpoints == 5) token.Cancel();
  });
  Text statusText = "untouched";
  Bytes body = {'k'};
  RequestOptions o;
  o.cancel = &token;
  o.statusText = &statusText;
  o.responseBody = &body;
  EXPECT_EQ(http::WinHttpFetch(server.Url("/slow"), o), "");
  EXPECT_EQ(checkpoints, 5);  // no read after the cancel
  EXPECT_EQ(statusText, "untouched");
  EXPECT_EQ(body, Bytes{'k'});
}

TEST_F(WinHttpWire, CancelFromAnotherThreadWhileBlockedOnASilentServer) {
  Answer silent;
  silent.silent = true;
  ASSERT_TRUE(server.Script("/silent", silent));
  http::CancelToken token;
  std::thread canceller([&] {
    while (server.Count() < 1) std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the request has arrived: the client now waits
    token.Cancel();
  });
  Text statusText = "untouched";
  RequestOptions o;
  o.cancel = &token;
  o.timeoutSeconds = 3;
  o.statusText = &statusText;
  EXPECT_EQ(http::WinHttpFetch(server.Url("/silent"), o), "");
  canceller.join();
  EXPECT_TRUE(token.IsCancelled());
  EXPECT_EQ(statusText, "untouched");  // the result of a cancelled exchange is discarded
}

}  // namespace
}  // namespace wire
