// InetFetch over the WinInet API: the calls in their order, nothing clever.
#include <windows.h>
#include <wininet.h>

#include <vector>

#include "core/page_limit.h"
#include "http/headers.h"
#include "http/internet_handle_win32.h"
#include "http/inet_fetch.h"
#include "http/request_rules.h"
#include "http/wide_text_win32.h"

namespace http {

namespace {

using InetHandle = InternetHandle<HINTERNET, InternetCloseHandle>;

// Destroyed in reverse order: request, connection, internet.
struct Exchange {
  InetHandle internet;
  InetHandle connection;
  InetHandle request;
};

// Reads of 64 KiB: each InternetReadFile costs a round trip through Wine's
// server, and 1 KiB reads made a 20 MB body thirty times slower than curl.
constexpr DWORD kReadChunk = 64 * 1024;
constexpr DWORD kHeaderBuffer = 5000;

// Connect, send and receive time-outs, on a handle and what it opens later.
void SetTimeouts(HINTERNET handle, DWORD ms) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                       INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
    InternetSetOptionW(handle, option, &ms, sizeof ms);
  }
}

}  // namespace

Bytes InetFetch(const Text& url) {
  RequestOptions options;
  return InetFetch(url, options);
}

Bytes InetFetch(const Text& url, RequestOptions& o) {
  const int method = o.method.value_or(0);
  const Text postText = o.postText.value_or(Text());
  const bool cookiesGiven = o.cookies.has_value();
  const bool noRedirect = o.noRedirect.value_or(false);
  const Text proxy = o.proxy.value_or(Text());
  const bool mergeCookies = o.mergeCookies.value_or(true);
  const bool addDefaultHeaders = o.addDefaultHeaders.value_or(true);
  const bool normaliseHeaders = o.normaliseHeaders.value_or(true);
  const Text headers = o.headers.value_or(Text());
  CancelToken* cancel = o.cancel;

  const bool secure = IsSecureUrl(url);
  const Text agent = InetAgent(headers);
  const Text proxyList = ProxyList(proxy, secure);

  // Texts cross to WinInet as UTF-16 from GBK, never through the system's
  // ANSI code page; the path is made ASCII first (see InetObjectName).
  Exchange x;
  if (proxy.empty()) {
    x.internet.Reset(InternetOpenW(WideText(agent).c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  } else {
    x.internet.Reset(
        InternetOpenW(WideText(agent).c_str(), INTERNET_OPEN_TYPE_PROXY, WideText(proxyList).c_str(), L"", 0));
  }
  if (!x.internet) return Bytes();
  // WinInet's receive time-out is otherwise the platform's, and Wine's is
  // infinite: one silent server would hold the caller for good.
  const DWORD timeout = DWORD(InetTimeoutMs(o.timeoutSeconds.value_or(0)));
  SetTimeouts(x.internet.get(), timeout);

  const Text host = UrlHost(url, false);
  x.connection.Reset(InternetConnectW(x.internet.get(), WideText(host).c_str(), INTERNET_PORT(UrlPort(url)), nullptr,
                                      nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!x.connection) return Bytes();

  const Text verb = MethodName(method);
  const Text path = InetObjectName(UrlPath(url));
  x.request.Reset(HttpOpenRequestW(x.connection.get(), WideText(verb).c_str(), WideText(path).c_str(), L"HTTP/1.1",
                                   nullptr, nullptr, InetRequestFlags(cookiesGiven, noRedirect, secure), 0));
  if (!x.request) return Bytes();
  SetTimeouts(x.request.get(), timeout);
  const bool checkCertificates = Checking(o.certificates);
  DWORD securityFlags = InetSecurityFlags(checkCertificates);
  InternetSetOptionW(x.request.get(), INTERNET_OPTION_SECURITY_FLAGS, &securityFlags, sizeof securityFlags);

  const Text block =
      InetHeaderBlock(headers, url, method, o.cookies.value_or(Text()), addDefaultHeaders, normaliseHeaders);
  Bytes postBytes = o.postBytes.value_or(Bytes());
  if (method != 0 && postBytes.empty()) postBytes.assign(postText.begin(), postText.end());

  // From here a cancel closes the request handle, which ends a blocked call
  // where the platform allows it.
  CancelRegistration closer(cancel, [&x] { x.request.Close(); });
  if (IsCancelled(cancel)) return Bytes();

  // A failed send reads nothing; its error only matters to tell a refused
  // certificate. The header block alone goes as bytes: WinInet writes a
  // UTF-16 block in the system's ANSI code page, where Chinese in a header
  // or cookie would turn into "?"; bytes given through the A call reach the
  // wire as given.
  BOOL sent;
  if (method == 0) {
    sent = HttpSendRequestA(x.request.get(), block.c_str(), DWORD(block.size()), const_cast<char*>(""), 0);
  } else {
    sent = HttpSendRequestA(x.request.get(), block.c_str(), DWORD(block.size()),
                            postBytes.empty() ? nullptr : postBytes.data(), DWORD(postBytes.size()));
  }
  if (!sent && checkCertificates && !IsCancelled(cancel)) {
    const DWORD error = GetLastError();
    const CertificateFault fault = InetCertificateFault(error);
    if (fault != CertificateFault::kNone) o.certificates->Refused(UrlHost(url, true), fault, long(error));
  }

  Bytes body;
  bool readFailed = false;
  std::vector<std::uint8_t> chunk(kReadChunk);
  for (;;) {
    if (cancel && !cancel->Checkpoint()) break;
    DWORD read = 0;
    if (!InternetReadFile(x.request.get(), chunk.data(), kReadChunk, &read)) {
      readFailed = true;
      break;
    }
    if (read == 0) break;
    body.insert(body.end(), chunk.begin(), chunk.begin() + read);
    if (body.size() > core::kLargestPageBytes) {
      readFailed = true;  // an endless or oversized body: nothing of it is handed on
      break;
    }
  }
  if (IsCancelled(cancel)) return Bytes();

  // A header block that does not fit the first buffer is asked for again
  // with the size WinInet reports, so its cookies are not lost. Without a
  // response there is no header block: the text stays empty, not blanks.
  // The sizes are in bytes, of UTF-16 text.
  Text responseHeaders;
  std::wstring buffer(kHeaderBuffer, L'\0');
  DWORD size = kHeaderBuffer * sizeof(wchar_t);
  if (HttpQueryInfoW(x.request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, &buffer[0], &size, nullptr)) {
    responseHeaders = GbkText(buffer.data(), size / sizeof(wchar_t));
  } else if (GetLastError() == ERROR_INSUFFICIENT_BUFFER && size > kHeaderBuffer * sizeof(wchar_t)) {
    buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
    if (HttpQueryInfoW(x.request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, &buffer[0], &size, nullptr)) {
      responseHeaders = GbkText(buffer.data(), size / sizeof(wchar_t));
    }
  }
  // Wine answers the query with a bare CRLF when no response came.
  if (responseHeaders.find_first_not_of("\r\n") == Text::npos) responseHeaders.clear();
  // A body cut short is a failed fetch: nothing of it is handed on, while the
  // header block and its cookies, which did arrive whole, still are.
  if (readFailed || !BodyArrivedWhole(responseHeaders, StatusCodeOf(responseHeaders), method, body.size())) {
    body.clear();
  }
  x.request.Close();
  x.connection.Close();
  x.internet.Close();

  Text responseCookies;
  AppendSetCookies(responseHeaders, responseCookies);
  std::optional<Text> cookies = o.cookies;
  if (mergeCookies && cookies) responseCookies = MergeCookies(*cookies, responseCookies);

  o.headers = block;
  if (method != 0) o.postBytes = postBytes;
  if (cookies) o.cookies = cookies;
  if (o.responseHeaders) *o.responseHeaders = responseHeaders;
  if (o.responseCookies) *o.responseCookies = responseCookies;
  return body;
}

}  // namespace http
