#include "collector/network_fetchers.h"

#include "http/charset.h"
#include "http/inet_fetch.h"
#include "http/winhttp_fetch.h"

namespace collector {

Fetchers NetworkFetchers(http::CancelToken* cancel, const sources::Profile& p) {
  Fetchers fetchers;
  const Text proxy = p.proxy;
  fetchers.searchPage = [cancel, proxy, headers = p.search.headers,
                         charset = p.search.charset](const Text& url) {
    http::RequestOptions options;
    options.cancel = cancel;
    if (!proxy.empty()) options.proxy = proxy;
    if (!headers.empty()) options.headers = headers;
    if (charset.empty()) return http::WinHttpFetch(url, options);
    Bytes body;
    options.responseBody = &body;
    const Text page = http::WinHttpFetch(url, options);
    return http::DecodePageText(body, page, charset);
  };
  fetchers.articlePage = [cancel, proxy, headers = p.article.headers](const Text& url) {
    http::RequestOptions options;
    options.cancel = cancel;
    if (!proxy.empty()) options.proxy = proxy;
    if (!headers.empty()) options.headers = headers;
    return http::InetFetch(url, options);
  };
  // An image host that accepts and never answers must not hold the pass:
  // the time-outs are set explicitly (WinInet's receive time-out is
  // otherwise infinite under Wine).
  fetchers.image = [cancel, proxy](const Text& url) {
    http::RequestOptions options;
    options.cancel = cancel;
    if (!proxy.empty()) options.proxy = proxy;
    options.timeoutSeconds = 30;
    return http::InetFetch(url, options);
  };
  return fetchers;
}

}  // namespace collector
