// The native build has none of the Windows HTTP services: each client ends
// the way it ends on a Windows without the service.
#include "http/com_request.h"
#include "http/inet_fetch.h"
#include "http/winhttp_fetch.h"

namespace http {

Text WinHttpFetch(const Text& url, RequestOptions& options) {
  if (options.statusText) *options.statusText = "700 当前系统不支持WinHttp服务!";
  return Text();
}

Text WinHttpFetch(const Text& url) {
  RequestOptions options;
  return WinHttpFetch(url, options);
}

Bytes ComHttpRequest(const Text& url, RequestOptions& options) { return Bytes(); }
Bytes ComHttpRequest(const Text& url) { return Bytes(); }

Bytes InetFetch(const Text& url, RequestOptions& options) { return Bytes(); }
Bytes InetFetch(const Text& url) { return Bytes(); }

}  // namespace http
