#include "http/request_rules.h"

#include <climits>
#include <optional>

#include "core/cut.h"
#include "core/url_codec.h"
#include "core/encoding.h"
#include "http/headers.h"
#include "http/inet_fetch.h"
#include "http/winhttp_fetch.h"

namespace http {

namespace {

using core::Find;

bool Contains(const Text& text, std::string_view what, bool ignoreCase) {
  return Find(text, what, 1, ignoreCase) > 0;
}

// ASCII letters lowered, the second byte of a double-byte character kept.
Text LowerAscii(const Text& text) {
  Text out(text);
  for (size_t i = 0; i < out.size();) {
    const size_t n = core::CharLengthAt(out, i);
    if (n == 1) out[i] = core::AsciiLower(out[i]);
    i += n;
  }
  return out;
}

int SecondsToMs(long long seconds) {
  const long long ms = seconds * 1000;
  return ms > INT_MAX ? INT_MAX : int(ms);
}

}  // namespace

Text MethodName(int method) {
  static const char* const kVerbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
  return (method >= 0 && method <= 7) ? kVerbs[method] : "GET";
}

Text ProxyList(const Text& proxy, bool secure) {
  if (proxy.empty() || secure) return proxy;
  return "http=" + proxy;
}

Text Base64(std::string_view bytes) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  Text out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned v = unsigned((unsigned char)bytes[i]) << 16 | unsigned((unsigned char)bytes[i + 1]) << 8 |
                       unsigned((unsigned char)bytes[i + 2]);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    unsigned v = unsigned((unsigned char)bytes[i]) << 16;
    if (rest == 2) v |= unsigned((unsigned char)bytes[i + 1]) << 8;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

void AppendSetCookies(const Text& headerBlock, Text& cookies) {
  for (const Text& line : core::Split(headerBlock, "\r\n")) {
    const int sep = Find(line, ": ");
    if (sep < 0 || std::string_view(line).substr(0, size_t(sep - 1)) != "Set-Cookie") continue;
    const Text cookie = Contains(line, ";", false) ? core::TextBetween(line, "Set-Cookie:", ";")
                                                   : core::ReplaceAll(line, "Set-Cookie:", "", true);
    cookies += core::Trim(cookie);
    cookies += "; ";
  }
  if (core::EndsWith(cookies, "; ")) cookies.resize(cookies.size() - 2);
}

int StatusCodeOf(const Text& headerBlock) {
  if (headerBlock.compare(0, 5, "HTTP/") != 0) return 0;
  const size_t blank = headerBlock.find(' ');
  if (blank == Text::npos || blank + 4 > headerBlock.size()) return 0;
  int code = 0;
  for (size_t i = blank + 1; i < blank + 4; ++i) {
    if (headerBlock[i] < '0' || headerBlock[i] > '9') return 0;
    code = code * 10 + (headerBlock[i] - '0');
  }
  return code;
}

bool BodyArrivedWhole(const Text& headerBlock, int statusCode, int method, size_t bodySize) {
  if (MethodName(method) == "HEAD" || statusCode / 100 == 1 || statusCode == 204 || statusCode == 304) return true;
  std::optional<unsigned long long> announced;
  for (const Text& line : core::Split(headerBlock, "\r\n")) {
    const size_t colon = line.find(':');
    if (colon == Text::npos) continue;
    const Text name = LowerAscii(core::Trim(std::string_view(line).substr(0, colon)));
    const Text value = core::Trim(std::string_view(line).substr(colon + 1));
    if (name == "transfer-encoding" && Contains(value, "chunked", true)) return true;
    if (name != "content-length" || announced || value.empty() || value.size() > 18 ||
        value.find_first_not_of("0123456789") != Text::npos) {
      continue;
    }
    announced = std::stoull(value);
  }
  return !announced || bodySize >= *announced;
}

// --- WinHttpFetch ---

Bytes TextToUtf16(const Text& text) {
  if (text.empty()) return Bytes();
  std::string bytes;
  core::WideToBytes(core::Gb18030ToWide(text), core::kCodePageUtf16Le, bytes);
  bytes.append(2, '\0');
  return Bytes(bytes.begin(), bytes.end());
}

Text Utf16ToText(const Bytes& utf16) {
  core::Wide wide;
  core::BytesToWide(std::string_view(reinterpret_cast<const char*>(utf16.data()), utf16.size() & ~size_t(1)),
                    core::kCodePageUtf16Le, wide);
  const size_t zero = wide.find(char16_t(0));
  if (zero != core::Wide::npos) wide.resize(zero);
  return core::WideToGb18030(wide);
}

Text HeaderValue(const Text& block, const Text& name) {
  for (const Text& line : core::Split(block, "\r\n")) {
    if (line.compare(0, name.size(), name) != 0) continue;
    const Text marker = name + ": ";
    const int k = core::FindLast(line, marker);
    return k < 0 ? Text() : line.substr(size_t(k - 1) + marker.size());
  }
  return Text();
}

int WinHttpTimeoutMs(int timeoutSeconds) { return timeoutSeconds > 0 ? SecondsToMs(timeoutSeconds) : 30000; }

Text WinHttpHeaderBlock(const Text& headers, const Text& cookies, int method, bool addDefaultHeaders,
                        bool normaliseHeaders) {
  Text work = headers.empty() ? Text() : headers + "\r\n";
  if (addDefaultHeaders) {
    struct Row {
      const char* probe;
      const char* line;
      bool postOnly;
    };
    static const Row kDefaults[] = {
        {"User-Agent: ", "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n", false},
        {"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", false},
        {"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312\r\n", false},
        {"Accept-Language: ", "Accept-Language: zh-cn\r\n", false},
        {"Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", true},
        {"Cache-Control: ", "Cache-Control: no-cache\r\n", false},
    };
    for (const Row& row : kDefaults) {
      if (row.postOnly && method != 1) continue;
      if (!Contains(work, row.probe, true)) work += row.line;
    }
  }
  if (normaliseHeaders) work = NormaliseHeaderNames(work);
  if (Contains(work, "Connection", false) && HeaderValue(work, "Connection") == "keep-alive") {
    work = core::ReplaceAll(work, "Connection: keep-alive\r\n", "");
  }
  if (!Contains(work, "Cookie:", true) && !cookies.empty()) {
    work += Contains(cookies, "Cookie:", true) ? "\r\n" + cookies + "\r\n" : "\r\nCookie: " + cookies + "\r\n";
  }
  return work;
}

Text StatusTextOf(const Text& headerBlock) {
  const int p = Find(headerBlock, "\r\n", 10);
  if (p < 10) return Text();
  // The CR stays: callers compare the status text with it.
  return headerBlock.substr(9, size_t(p - 9));
}

bool LastLocation(const Text& headerBlock, Text& location) {
  bool found = false;
  for (const Text& line : core::Split(headerBlock, "\r\n")) {
    if (line.size() >= 10 && Find(std::string_view(line).substr(0, 10), "Location: ", 1, true) == 1) {
      location = line.substr(10);
      found = true;
    }
  }
  return found;
}

// --- ComHttpRequest ---

int ComTimeoutMs(int timeoutSeconds) {
  if (timeoutSeconds == -1) return -1;
  return timeoutSeconds < 1 ? 15000 : SecondsToMs(timeoutSeconds);
}

Text ComHeaderBlock(const Text& headers, const Text& url, int method, bool addDefaultHeaders,
                    bool normaliseHeaders) {
  Text block = headers;
  if (addDefaultHeaders) {
    if (!Contains(block, "Accept:", true)) block += "\r\nAccept: */*";
    if (!Contains(block, "Referer:", true)) block += "\r\nReferer: " + url;
    if (!Contains(block, "Accept-Language:", true)) block += "\r\nAccept-Language: zh-cn";
    if (!Contains(block, "User-Agent:", true)) block += "\r\nUser-Agent: " + Text(kInetAgent);
    if (method == 1 && !Contains(block, "Content-Type:", true)) {
      block += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
  }
  if (normaliseHeaders) block = NormaliseHeaderNames(block);
  return block;
}

std::vector<std::pair<Text, Text>> ComHeaderLines(const Text& block) {
  std::vector<std::pair<Text, Text>> out;
  const core::TextArray lines = Contains(block, "\r\n", false) ? core::Split(block, "\r\n")
                                                               : core::TextArray{block};
  for (const Text& line : lines) {
    if (line.empty()) continue;
    const int colon = Find(line, ":");
    if (colon < 0) continue;
    Text name = core::Trim(std::string_view(line).substr(0, size_t(colon - 1)));
    Text value = core::Trim(std::string_view(line).substr(size_t(colon)));
    if (name.empty()) continue;
    if (name == "Connection" && value == "keep-alive") continue;
    out.emplace_back(std::move(name), std::move(value));
  }
  return out;
}

Text WithoutCookieMarker(const Text& cookies) { return core::ReplaceAll(cookies, "Cookie:", "", true); }

Text ProxyAuthorization(const Text& proxy, const Text& proxyUser, const Text& proxyPassword,
                        int proxyAuthMode) {
  if (proxy.empty() || proxyUser.empty() || proxyAuthMode != 1) return Text();
  return "Basic " + Base64(proxyUser + ":" + proxyPassword);
}

// --- InetFetch ---

Text InetAgent(const Text& headers) {
  if (!Contains(headers, "User-Agent:", true)) return Text(kInetAgent);
  Text agent = core::Trim(core::TextBetween(headers + "\r\n", "User-Agent:", "\r\n"));
  if (agent.empty()) {
    const int colon = Find(headers, ":");
    agent = headers.substr(size_t(colon));
    // Only the first line: the agent goes into a header of its own, and a
    // line break in it would smuggle further header lines into the request.
    const size_t brk = agent.find_first_of("\r\n");
    if (brk != Text::npos) agent.resize(brk);
    agent = core::Trim(agent);
  }
  return agent;
}

bool IsSecureUrl(const Text& url) { return Find(std::string_view(url).substr(0, 8), "https://", 1, true) == 1; }

Text InetHeaderBlock(const Text& headers, const Text& url, int method, const Text& cookies,
                     bool addDefaultHeaders, bool normaliseHeaders) {
  Text block = headers;
  if (addDefaultHeaders) {
    if (block.empty()) block = "Accept: */*";
    if (!Contains(block, "Accept:", true)) block += "\r\nAccept: */*";
    if (!Contains(block, "Referer:", true)) block += "\r\nReferer: " + url;
    if (!Contains(block, "Accept-Language:", true)) block += "\r\nAccept-Language: zh-cn";
    if (method == 1 && !Contains(block, "Content-Type:", true)) {
      block += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
  }
  if (normaliseHeaders) block = NormaliseHeaderNames(block);
  if (!cookies.empty()) block += Contains(cookies, "Cookie:", false) ? "\r\n" + cookies : "\r\nCookie: " + cookies;
  return block;
}

Text InetObjectName(const Text& path) {
  Text out;
  size_t i = 0;
  while (i < path.size()) {
    if ((unsigned char)path[i] < 0x80) {
      out += path[i++];
      continue;
    }
    // A stretch of characters beyond ASCII: a lead byte takes the bytes
    // after it (which may be ASCII) only when they complete a character.
    const size_t start = i;
    while (i < path.size() && (unsigned char)path[i] >= 0x80) i += core::CharLengthAt(path, i);
    out += core::UrlEncode(std::string_view(path).substr(start, i - start), false, true);
  }
  return out;
}

unsigned InetRequestFlags(bool cookiesGiven, bool noRedirect, bool secure) {
  unsigned flags = 0x80000000u | 0x10u;  // INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE
  if (cookiesGiven) flags |= 0x80000u;   // INTERNET_FLAG_NO_COOKIES
  if (noRedirect) flags |= 0x200000u;    // INTERNET_FLAG_NO_AUTO_REDIRECT
  flags |= secure ? 0x800000u            // INTERNET_FLAG_SECURE
                  : 0x4000u;             // INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS
  return flags;
}

int InetTimeoutMs(int timeoutSeconds) { return timeoutSeconds > 0 ? SecondsToMs(timeoutSeconds) : 30000; }

Text UrlHost(const Text& url, bool keepPort) {
  Text u = LowerAscii(url);
  if (!core::EndsWith(u, "/")) u += "/";
  Text host;
  if (core::StartsWith(u, "https://")) {
    host = core::TextBetween(u, "https://", "/");
  } else {
    if (!Contains(u, "http://", false)) u = "http://" + u;
    host = core::TextBetween(u, "http://", "/");
  }
  if (!keepPort) {
    const size_t colon = host.find(':');
    if (colon != Text::npos) host.resize(colon);
  }
  return host;
}

int UrlPort(const Text& url) {
  const Text host = UrlHost(url, true);
  const size_t colon = host.rfind(':');
  if (colon != Text::npos) {
    long long port = 0;
    for (size_t i = colon + 1; i < host.size() && host[i] >= '0' && host[i] <= '9'; ++i) {
      port = port * 10 + (host[i] - '0');
      if (port > 65535) return 0;  // no such port: let the connect fail
    }
    return int(port);
  }
  return Find(std::string_view(url).substr(0, 5), "https", 1, true) == 1 ? 443 : 80;
}

Text UrlPath(const Text& url) {
  const Text host = UrlHost(url, false);
  // The host is looked for after the scheme, so a host such as "h" or "tp"
  // is not found inside "http" itself.
  const int scheme = Find(url, "://");
  const int at = Find(url, host, scheme < 0 ? 1 : scheme + 3, true);
  const int slash = Find(url, "/", at < 1 ? 1 : at);
  return slash < 0 ? Text("/") : url.substr(size_t(slash - 1));
}

}  // namespace http
