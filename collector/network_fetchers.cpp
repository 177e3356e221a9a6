#include "collector/network_fetchers.h"

#include "http/inet_fetch.h"
#include "http/winhttp_fetch.h"

namespace collector {

Fetchers NetworkFetchers(http::CancelToken* cancel) {
  Fetchers fetchers;
  fetchers.searchPage = [cancel](const Text& url) {
    http::RequestOptions options;
    options.cancel = cancel;
    return http::WinHttpFetch(url, options);
  };
  fetchers.articlePage = [cancel](const Text& url) {
    http::RequestOptions options;
    options.cancel = cancel;
    return http::InetFetch(url, options);
  };
  // An image host that accepts and never answers must not hold the pass:
  // the time-outs are set explicitly (WinInet's receive time-out is
  // otherwise infinite under Wine).
  fetchers.image = [cancel](const Text& url) {
    http::RequestOptions options;
    options.cancel = cancel;
    options.timeoutSeconds = 30;
    return http::InetFetch(url, options);
  };
  return fetchers;
}

}  // namespace collector
