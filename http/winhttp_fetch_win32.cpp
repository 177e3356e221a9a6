// WinHttpFetch over the WinHTTP API: the calls in their order, nothing clever.
#include <windows.h>
#include <winhttp.h>


#include "core/encoding.h"
#include "core/page_limit.h"
#include "http/charset.h"
#include "http/headers.h"
#include "http/inet_fetch.h"
#include "http/internet_handle_win32.h"
#include "http/request_rules.h"
#include "http/wide_text_win32.h"
#include "http/winhttp_fetch.h"

namespace http {

namespace {

using WinHttpHandle = InternetHandle<HINTERNET, WinHttpCloseHandle>;

constexpr const char* kReadFailed = "713 读取数据失败!";

bool SetDword(HINTERNET h, DWORD option, DWORD value) {
  return WinHttpSetOption(h, option, &value, sizeof value) != FALSE;
}

// Everything WinHttpFetch holds for one call; the destructors close the
// handles request first, then connection, then session.
struct Exchange {
  WinHttpHandle session;
  WinHttpHandle connection;
  WinHttpHandle request;
};

// Collects the failure flags of the secure-failure callback (Windows names
// the certificate's faults there; the error itself only says "secure failure").
void CALLBACK OnSecureFailure(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  if (status == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && context && info && length >= sizeof(DWORD)) {
    *reinterpret_cast<DWORD*>(context) |= *static_cast<const DWORD*>(info);
  }
}

// Lets the thread's pending window messages be processed.
void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {  // not ours to take: leave it for the loop
      PostQuitMessage(int(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

Text WinHttpFetch(const Text& url) {
  RequestOptions options;
  return WinHttpFetch(url, options);
}

Text WinHttpFetch(const Text& url, RequestOptions& o) {
  const int method = o.method.value_or(0);
  const Text postText = o.postText.value_or(Text());
  const Text cookies = o.cookies.value_or(Text());
  const Text headers = o.headers.value_or(Text());
  const bool noRedirect = o.noRedirect.value_or(false);
  const Text userName = o.userName.value_or(Text());
  const Text userPassword = o.userPassword.value_or(Text());
  const Text proxy = o.proxy.value_or(Text());
  const Text proxyUser = o.proxyUser.value_or(Text());
  const Text proxyPassword = o.proxyPassword.value_or(Text());
  const bool mergeCookies = o.mergeCookies.value_or(true);
  const bool addDefaultHeaders = o.addDefaultHeaders.value_or(true);
  const bool normaliseHeaders = o.normaliseHeaders.value_or(true);
  const Bytes postBytes = o.postBytes.value_or(Bytes());
  CancelToken* cancel = o.cancel;
  const bool checkCertificates = Checking(o.certificates);
  DWORD secureFailure = 0;

  Exchange x;
  auto fail = [&](const char* errorText) {
    if (o.statusText && !IsCancelled(cancel)) *o.statusText = errorText;
    return Text();
  };

  if (!WinHttpCheckPlatform()) return fail("700 当前系统不支持WinHttp服务!");

  const std::wstring wideUrl = WideText(url);
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = DWORD(-1);
  parts.dwHostNameLength = DWORD(-1);
  parts.dwUrlPathLength = DWORD(-1);
  parts.dwExtraInfoLength = DWORD(-1);
  if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)) return fail("701 解析URL地址失败!");
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
  object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (parts.dwUrlPathLength == 0) object = L"/" + object;

  // The proxy goes in unqualified: for this one request "http=" + proxy
  // names the same server on Windows, and Wine's WinHTTP takes "http=" for
  // part of the host name and fails every send.
  const std::wstring proxyName = WideText(proxy);
  x.session.Reset(WinHttpOpen(nullptr, proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                              proxy.empty() ? WINHTTP_NO_PROXY_NAME : proxyName.c_str(), WINHTTP_NO_PROXY_BYPASS, 0));
  if (!x.session) return fail("702 创建WinHttp会话失败!");

  const int t = WinHttpTimeoutMs(o.timeoutSeconds.value_or(0));
  if (!WinHttpSetTimeouts(x.session.get(), t, t, t, t)) return fail("705 设置超时时间失败!");

  x.connection.Reset(WinHttpConnect(x.session.get(), host.c_str(), parts.nPort, 0));
  if (!x.connection) return fail("703 创建WinHttp连接失败!");

  const std::wstring verb = WideText(MethodName(method));
  x.request.Reset(WinHttpOpenRequest(x.connection.get(), verb.c_str(), object.c_str(), nullptr,
                                     WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                     secure ? WINHTTP_FLAG_SECURE : 0));
  if (!x.request) return fail("704 创建WinHttp请求失败!");
  // Wine ignores the receive time-out of WinHttpSetTimeouts; this option
  // holds it there and is the same value on Windows.
  SetDword(x.request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, DWORD(t));

  if (!userName.empty() && !userPassword.empty()) {
    if (!WinHttpSetCredentials(x.request.get(), WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                               WideText(userName).c_str(), WideText(userPassword).c_str(), nullptr)) {
      return fail("707 设置代理凭证失败!");
    }
  }
  if (!proxyUser.empty() && !proxyPassword.empty()) {
    if (!WinHttpSetCredentials(x.request.get(), WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC,
                               WideText(proxyUser).c_str(), WideText(proxyPassword).c_str(), nullptr)) {
      return fail("707 设置代理凭证失败!");
    }
  }
  if (checkCertificates) {
    // The flags are left as they are: every certificate error fails the send.
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&secureFailure);
    WinHttpSetOption(x.request.get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
    WinHttpSetStatusCallback(x.request.get(), OnSecureFailure, WINHTTP_CALLBACK_FLAG_SECURE_FAILURE, 0);
  } else if (!SetDword(x.request.get(), WINHTTP_OPTION_SECURITY_FLAGS, WinHttpSecurityFlags(false))) {
    // Certificate problems never stop such a fetch, for http and https alike.
    return fail("忽略错误/证书错误  失败！");
  }
  // Without cookies of the caller WinHTTP neither stores nor sends its own;
  // with them it keeps its cookie handling, which carries cookies a redirect sets.
  if (cookies.empty() && !SetDword(x.request.get(), WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES)) {
    return fail("708 禁止自动设置Cookies失败!");
  }
  // Wine pools connections through a proxy by the proxy's address alone and
  // sends the next request for another host down a tunnel CONNECTed to the
  // first one; a proxied connection therefore serves one request only.
  if (!proxy.empty()) SetDword(x.request.get(), WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_KEEP_ALIVE);
  if (noRedirect && !SetDword(x.request.get(), WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS)) {
    return fail("709 重定向设置失败!");
  }

  const Text block = WinHttpHeaderBlock(headers, cookies, method, addDefaultHeaders, normaliseHeaders);
  if (!block.empty()) {
    const std::wstring wideBlock = WideText(block);
    if (!WinHttpAddRequestHeaders(x.request.get(), wideBlock.c_str(), DWORD(wideBlock.size()),
                                  WINHTTP_ADDREQ_FLAG_ADD)) {
      return fail("710 设置协议头失败!");
    }
  }

  // From here a cancel closes the request handle, which ends a blocked call
  // where the platform allows it.
  CancelRegistration closer(cancel, [&x] { x.request.Close(); });
  if (IsCancelled(cancel)) return Text();

  const Bytes body = !postBytes.empty() ? postBytes : Bytes(postText.begin(), postText.end());
  LPVOID bodyData = body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<std::uint8_t*>(body.data());
  // A refused certificate fails the send (or, on some platforms, the
  // receive) like a server that cannot be reached, and is told once.
  auto refused = [&] {
    const DWORD error = GetLastError();
    const CertificateFault fault = WinHttpCertificateFault(error, secureFailure);
    if (checkCertificates && secure && fault != CertificateFault::kNone && !IsCancelled(cancel)) {
      o.certificates->Refused(UrlHost(url, true), fault, long(error));
    }
  };
  if (!WinHttpSendRequest(x.request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, bodyData, DWORD(body.size()),
                          DWORD(body.size()), 0)) {
    refused();
    return fail("711 发送请求失败!");
  }
  if (!WinHttpReceiveResponse(x.request.get(), nullptr)) {
    refused();
    return fail("712 服务器未响应!");
  }

  Bytes received;
  std::vector<std::uint8_t> chunk;
  for (;;) {
    if (cancel && !cancel->Checkpoint()) return Text();
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(x.request.get(), &available) || available < 1) break;
    chunk.assign(available, 0);
    DWORD read = 0;
    // A failed read leaves a truncated page: that is a failed fetch, never
    // a shorter page.
    if (!WinHttpReadData(x.request.get(), chunk.data(), available, &read)) {
      return fail(kReadFailed);
    }
    // One growing buffer: insert at the end is amortised, never quadratic.
    received.insert(received.end(), chunk.begin(), chunk.begin() + read);
    if (received.size() > core::kLargestPageBytes) return fail(kReadFailed);
  }
  if (IsCancelled(cancel)) return Text();

  DWORD size = 0;
  WinHttpQueryHeaders(x.request.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                      WINHTTP_NO_HEADER_INDEX);
  Bytes raw(size, 0);
  if (size == 0 || !WinHttpQueryHeaders(x.request.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                                        raw.data(), &size, WINHTTP_NO_HEADER_INDEX)) {
    return Text();
  }
  const Text headerText = Utf16ToText(raw);
  if (!BodyArrivedWhole(headerText, StatusCodeOf(headerText), method, received.size())) return fail(kReadFailed);
  if (o.responseHeaders) *o.responseHeaders = headerText;
  if (o.statusText) *o.statusText = StatusTextOf(headerText);

  Text responseCookies = o.responseCookies ? *o.responseCookies : Text();
  AppendSetCookies(headerText, responseCookies);
  if (o.location) LastLocation(headerText, *o.location);
  for (size_t lines = core::Split(headerText, "\r\n").size(); lines > 0; --lines) PumpMessages();
  if (mergeCookies && !cookies.empty()) {
    Text merged = cookies;
    responseCookies = MergeCookies(merged, responseCookies);
    o.cookies = merged;
  }
  if (o.responseCookies) *o.responseCookies = responseCookies;
  if (o.responseBody) *o.responseBody = received;
  PumpMessages();
  return DecodePageText(received, core::TextFromBytes(received));
}

}  // namespace http
