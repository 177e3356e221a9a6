#include "http/request_rules.h"

#include <gtest/gtest.h>

#include "http/inet_fetch.h"
#include "http/winhttp_fetch.h"

namespace http {
namespace {

const char kWinHttpDefaults[] =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Cache-Control: no-cache";

TEST(Methods, NumbersZeroToSevenOthersGet) {
  const char* verbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
  for (int m = 0; m < 8; ++m) EXPECT_EQ(MethodName(m), verbs[m]);
  for (int m : {-1, 8, 9, 1000, -2147483647 - 1}) EXPECT_EQ(MethodName(m), "GET") << m;
}

TEST(WinHttpHeaders, DefaultsProbesNormalisationKeepAliveAndCookieLine) {
  struct Case {
    const char* name;
    Text headers, cookies;
    int method;
    bool defaults, normalise;
    Text expected;
  } cases[] = {
      {"url only", "", "", 0, true, true, kWinHttpDefaults},
      {"post adds content type before cache-control", "", "", 1, true, true,
       "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
       "Accept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
       "Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\nCache-Control: no-cache"},
      {"put gets no content type", "", "", 3, true, true, kWinHttpDefaults},
      {"caller user-agent in any case wins and is renamed", "user-agent: X", "", 0, true, true,
       "User-Agent: X\r\nAccept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
       "Accept-Language: zh-cn\r\nCache-Control: no-cache"},
      {"accept probe needs its blank; encoding line does not count", "Accept-Encoding: x\r\nACCEPT: y", "", 0,
       true, false,
       "Accept-Encoding: x\r\nACCEPT: y\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
       "Trident/5.0)\r\nAccept-Language: zh-cn\r\nCache-Control: no-cache\r\n"},
      {"caller content-type without blank suppresses default", "content-type:text/plain", "", 1, true, true,
       "Content-Type:text/plain\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
       "Trident/5.0)\r\nAccept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
       "Accept-Language: zh-cn\r\nCache-Control: no-cache"},
      {"no defaults, no normalisation keeps trailing CRLF", "a: 1", "", 0, false, false, "a: 1\r\n"},
      {"nothing at all", "", "", 0, false, true, ""},
      {"keep-alive line dropped", "Connection: keep-alive\r\nX: 1", "", 0, false, true, "X: 1"},
      {"keep-alive as the last line stays", "X: 1\r\nConnection: keep-alive", "", 0, false, true,
       "X: 1\r\nConnection: keep-alive"},
      {"other connection value stays", "Connection: close\r\nX: 1", "", 0, false, true, "Connection: close\r\nX: 1"},
      {"bare cookies become a line", "X: 1", "a=1; b=2", 0, false, true, "X: 1\r\nCookie: a=1; b=2\r\n"},
      {"cookie line given whole", "X: 1", "cookie: a=1", 0, false, true, "X: 1\r\ncookie: a=1\r\n"},
      {"caller cookie line wins", "Cookie: z=9", "a=1", 0, false, true, "Cookie: z=9"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WinHttpHeaderBlock(c.headers, c.cookies, c.method, c.defaults, c.normalise), c.expected) << c.name;
  }
}

TEST(WinHttpHeaders, HeaderValueFirstLineByExactNameLastMarker) {
  EXPECT_EQ(HeaderValue("A: 1\r\nConnection: keep-alive\r\nConnection: close", "Connection"), "keep-alive");
  EXPECT_EQ(HeaderValue("Connection:close", "Connection"), "");
  EXPECT_EQ(HeaderValue("connection: x", "Connection"), "");
  EXPECT_EQ(HeaderValue("X: Y: Z", "X"), "Y: Z");
  EXPECT_EQ(HeaderValue("", "X"), "");
}

TEST(ResponseHeaders, StatusTextKeepsItsCarriageReturn) {
  struct Case {
    Text block, status;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nDate: x\r\n\r\n", "200 OK\r"},
      {"HTTP/1.1 302 Found\r\n", "302 Found\r"},
      {"HTTP/1.0 404 Not Found\r\n", "404 Not Found\r"},
      {"HTTP/1.1 200\r\n", "200\r"},
      {"HTTP/1.1 200 OK", ""},
      {"", ""},
      {"HTTP\r\n\r\n", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(StatusTextOf(c.block), c.status) << c.block;
}

TEST(ResponseHeaders, SetCookieScanAndLocation) {
  const Text block =
      "HTTP/1.1 302 Found\r\nSet-Cookie: a=1; path=/\r\nset-cookie: lower=0\r\nSet-Cookie: b=2\r\n"
      "Set-Cookie:nospace=1\r\nX-Set-Cookie: x=1\r\nLocation: /first\r\nlocation: http://h/Second?q=1\r\n"
      "Set-Cookie:   c=3  ;expires=x\r\n\r\n";
  Text cookies;
  AppendSetCookies(block, cookies);
  EXPECT_EQ(cookies, "a=1; b=2; c=3");
  Text appended = "old=1; ";
  AppendSetCookies("HTTP/1.1 200 OK\r\nSet-Cookie: n=2\r\n", appended);
  EXPECT_EQ(appended, "old=1; n=2");
  Text none = "keep; ";
  AppendSetCookies("HTTP/1.1 200 OK\r\n", none);
  EXPECT_EQ(none, "keep");

  Text location = "untouched";
  EXPECT_TRUE(LastLocation(block, location));
  EXPECT_EQ(location, "http://h/Second?q=1");
  Text kept = "untouched";
  EXPECT_FALSE(LastLocation("HTTP/1.1 200 OK\r\nLocation:/x\r\nX-Location: y\r\n", kept));
  EXPECT_EQ(kept, "untouched");
}

TEST(ResponseHeaders, ABodyShorterThanItsContentLengthIsNotWhole) {
  struct Case {
    Text block;
    int method;
    size_t size;
    bool whole;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", 0, 100, true},
      {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", 0, 99, false},
      {"HTTP/1.1 200 OK\r\ncontent-length:  70000 \r\n\r\n", 1, 0, false},
      {"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\n", 0, 3, false},
      {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", 2, 0, true},  // HEAD
      {"HTTP/1.1 304 Not Modified\r\nContent-Length: 100\r\n\r\n", 0, 0, true},
      {"HTTP/1.1 204 No Content\r\nContent-Length: 5\r\n\r\n", 0, 0, true},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 100\r\n\r\n", 0, 10, true},
      {"HTTP/1.1 200 OK\r\nX-Content-Length: 100\r\n\r\n", 0, 10, true},
      {"HTTP/1.1 200 OK\r\nContent-Length: 1e3\r\n\r\n", 0, 10, true},
      {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n", 0, 10, true},
      {"HTTP/1.1 200 OK\r\n\r\n", 0, 0, true},
      {"", 0, 0, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BodyArrivedWhole(c.block, StatusCodeOf(c.block), c.method, c.size), c.whole) << c.block << c.size;
  }
  // The status code the COM client reads apart from its header lines.
  EXPECT_TRUE(BodyArrivedWhole("Content-Length: 5\r\n", 304, 0, 0));
  EXPECT_FALSE(BodyArrivedWhole("Content-Length: 5\r\n", 200, 0, 0));
  EXPECT_EQ(StatusCodeOf("HTTP/1.0 302 Found\r\n"), 302);
  EXPECT_EQ(StatusCodeOf("HTTP/1.1 2x0 OK\r\n"), 0);
}

TEST(TimeOuts, SecondsToMillisecondsPerClient) {
  struct Case {
    int seconds, winhttp, com, inet;
  } cases[] = {
      {0, 30000, 15000, 30000},   {-5, 30000, 15000, 30000}, {-1, 30000, -1, 30000},
      {3, 3000, 3000, 3000},      {10, 10000, 10000, 10000}, {2147483647, 2147483647, 2147483647, 2147483647},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WinHttpTimeoutMs(c.seconds), c.winhttp) << c.seconds;
    EXPECT_EQ(ComTimeoutMs(c.seconds), c.com) << c.seconds;
    EXPECT_EQ(InetTimeoutMs(c.seconds), c.inet) << c.seconds;
  }
}

TEST(Proxy, ListAndBasicCredentials) {
  EXPECT_EQ(ProxyList("127.0.0.1:8080", false), "http=127.0.0.1:8080");
  EXPECT_EQ(ProxyList("127.0.0.1:8080", true), "127.0.0.1:8080");
  EXPECT_EQ(ProxyList("", false), "");
  struct Case {
    Text in, out;
  } base64[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},          {"foo", "Zm9v"},
                {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"\xff\xfe\xfd", "//79"},
                {"user:", "dXNlcjo="}};
  for (const Case& c : base64) EXPECT_EQ(Base64(c.in), c.out) << c.in;
  EXPECT_EQ(ProxyAuthorization("p:1", "user", "pw", 1), "Basic dXNlcjpwdw==");
  EXPECT_EQ(ProxyAuthorization("p:1", "user", "", 1), "Basic dXNlcjo=");
  EXPECT_EQ(ProxyAuthorization("p:1", "", "pw", 1), "");
  EXPECT_EQ(ProxyAuthorization("", "user", "pw", 1), "");
  EXPECT_EQ(ProxyAuthorization("p:1", "user", "pw", 2), "");
}

TEST(ComHeaders, DefaultsInOrderThenLinesSentOneByOne) {
  const Text url = "http://h/p";
  EXPECT_EQ(ComHeaderBlock("", url, 0, true, false),
            "\r\nAccept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
            "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
  EXPECT_EQ(ComHeaderBlock("", url, 0, true, true),
            "Accept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
            "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
  EXPECT_EQ(ComHeaderBlock("accept: text/x", url, 1, true, true),
            "Accept: text/x\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
            "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n"
            "Content-Type: application/x-www-form-urlencoded");
  EXPECT_EQ(ComHeaderBlock("X: 1", url, 3, false, true), "X: 1");

  using Lines = std::vector<std::pair<Text, Text>>;
  EXPECT_EQ(ComHeaderLines("\r\nA: 1\r\n\r\nnocolon\r\n :v\r\nConnection: keep-alive\r\nConnection: close\r\n"
                           "B :  x:y  \r\nconnection: keep-alive"),
            (Lines{{"A", "1"}, {"Connection", "close"}, {"B", "x:y"}, {"connection", "keep-alive"}}));
  EXPECT_EQ(ComHeaderLines("Single: line"), (Lines{{"Single", "line"}}));
  EXPECT_EQ(ComHeaderLines(""), Lines{});
  EXPECT_EQ(WithoutCookieMarker("Cookie: a=1; COOKIE:b=2"), " a=1; b=2");
}

TEST(InetHeaders, AgentDefaultsAndCookieLine) {
  const Text agent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
  struct AgentCase {
    Text headers, agent;
  } agents[] = {
      {"", agent},
      {"Accept: */*", agent},
      {"Accept: */*\r\nUser-Agent:  Mine/1.0 \r\nX: 1", "Mine/1.0"},
      {"User-Agent: Last", "Last"},
      // A lower-case name misses the exact cut; the first value on the first line is taken.
      {"user-agent: low\r\nX: 1", "low"},
      {"Accept: a\r\nuser-agent: low", "a"},
  };
  for (const AgentCase& c : agents) EXPECT_EQ(InetAgent(c.headers), c.agent) << c.headers;

  const Text url = "http://h/a";
  struct BlockCase {
    const char* name;
    Text headers, cookies;
    int method;
    bool defaults, normalise;
    Text expected;
  } blocks[] = {
      {"empty with defaults", "", "", 0, true, true, "Accept: */*\r\nReferer: http://h/a\r\nAccept-Language: zh-cn"},
      {"post adds content type", "", "", 1, true, true,
       "Accept: */*\r\nReferer: http://h/a\r\nAccept-Language: zh-cn\r\n"
       "Content-Type: application/x-www-form-urlencoded"},
      {"caller lines kept", "referer: r\r\naccept: x", "", 0, true, true,
       "Referer: r\r\nAccept: x\r\nAccept-Language: zh-cn"},
      {"bare cookies", "X: 1", "a=1", 0, false, true, "X: 1\r\nCookie: a=1"},
      {"cookie line, case-sensitive probe", "X: 1", "Cookie: a=1", 0, false, true, "X: 1\r\nCookie: a=1"},
      {"lower-case cookie line gets a second name", "X: 1", "cookie: a=1", 0, false, true,
       "X: 1\r\nCookie: cookie: a=1"},
      {"cookies appended after normalisation", "x: 1\r\n", "a=1", 0, false, false, "x: 1\r\n\r\nCookie: a=1"},
  };
  for (const BlockCase& c : blocks) {
    EXPECT_EQ(InetHeaderBlock(c.headers, url, c.method, c.cookies, c.defaults, c.normalise), c.expected) << c.name;
  }
  EXPECT_EQ(InetObjectName("/a%20b/c.jpg?x=1&y=%E5%9B%BE"), "/a%20b/c.jpg?x=1&y=%E5%9B%BE");
  EXPECT_EQ(InetObjectName("/图/a.jpg?q=中文"), "/%E5%9B%BE/a.jpg?q=%E4%B8%AD%E6%96%87");
  // A pair with an ASCII trail byte is one character; a stray lead byte
  // does not swallow the "/" after it.
  EXPECT_EQ(InetObjectName("/\x81\x40/"), "/%E4%B8%82/");
  const Text stray = InetObjectName("/\x81/x");
  EXPECT_EQ(stray.rfind("/%", 0), 0u) << stray;
  EXPECT_EQ(stray.substr(stray.size() - 2), "/x") << stray;
  EXPECT_EQ(InetRequestFlags(false, false, false), 0x80004010u);
  EXPECT_EQ(InetRequestFlags(true, true, true), 0x80A80010u);
}

TEST(Urls, HostPortPathAndSecureScheme) {
  struct Case {
    Text url, host, hostPort;
    int port;
    Text path;
    bool secure;
  } cases[] = {
      {"https://WWW.Example.COM:8443/Path/A?Q=1", "www.example.com", "www.example.com:8443", 8443, "/Path/A?Q=1", true},
      {"http://example.com", "example.com", "example.com", 80, "/", false},
      {"example.com/a/B", "example.com", "example.com", 80, "/a/B", false},
      {"HTTPS://Example.com/x", "example.com", "example.com", 443, "/x", true},
      {"http://127.0.0.1:8080", "127.0.0.1", "127.0.0.1:8080", 8080, "/", false},
      {"http://h:/x", "h", "h:", 0, "/x", false},
      {"http://h:99999/x", "h", "h:99999", 0, "/x", false},
      {"", "", "", 80, "/", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UrlHost(c.url), c.host) << c.url;
    EXPECT_EQ(UrlHost(c.url, true), c.hostPort) << c.url;
    EXPECT_EQ(UrlPort(c.url), c.port) << c.url;
    EXPECT_EQ(UrlPath(c.url), c.path) << c.url;
    EXPECT_EQ(IsSecureUrl(c.url), c.secure) << c.url;
  }
}

TEST(Utf16, RoundTripTerminatorAndFirstZero) {
  const Bytes wide = TextToUtf16("A中");
  EXPECT_EQ(wide, (Bytes{'A', 0, 0x2D, 0x4E, 0, 0}));
  EXPECT_EQ(Utf16ToText(wide), "A中");
  EXPECT_TRUE(TextToUtf16("").empty());
  EXPECT_EQ(Utf16ToText(Bytes{'a', 0, 0, 0, 'b', 0}), "a");
  EXPECT_EQ(Utf16ToText(Bytes{'a', 0, 'b'}), "a");  // an odd last byte is no character
}

}  // namespace
}  // namespace http
