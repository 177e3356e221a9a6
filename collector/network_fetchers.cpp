#include "collector/network_fetchers.h"

#include "http/charset.h"
#include "http/inet_fetch.h"
#include "http/request_rules.h"
#include "http/winhttp_fetch.h"

namespace collector {

namespace {

bool IsRedirect(int status) { return status >= 300 && status < 400; }

// One WinHttpFetch of a search page with the engine's headers: the page
// decoded by its charset (or the engine's), and its status and Location.
SearchAnswer FetchSearchPage(const Text& url, const sources::Engine& engine, bool followRedirects,
                             http::CancelToken* cancel, const Text& proxy, http::CertificateCheck* certificates) {
  http::RequestOptions options;
  options.cancel = cancel;
  options.certificates = certificates;
  if (!proxy.empty()) options.proxy = proxy;
  if (!engine.headers.empty()) options.headers = engine.headers;
  if (!followRedirects) options.noRedirect = true;
  SearchAnswer answer;
  Text headers;
  Bytes body;
  options.responseHeaders = &headers;
  options.location = &answer.location;
  options.responseBody = &body;
  const Text page = http::WinHttpFetch(url, options);
  answer.page = engine.charset.empty() ? page : http::DecodePageText(body, page, engine.charset);
  answer.status = core::TextToInt(http::StatusTextOf(headers));
  return answer;
}

// The value of the last header line named `name` (any letter case) in a raw
// header block; after redirects the block may hold several answers, and the
// last one is the final answer's.
Text LastHeaderValue(const Text& block, std::string_view name) {
  Text value;
  for (const Text& line : core::Split(block, "\r\n")) {
    if (line.size() <= name.size() || line[name.size()] != ':') continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) same = core::AsciiLower(line[i]) == core::AsciiLower(name[i]);
    if (same) value = core::Trim(line.substr(name.size() + 1));
  }
  return value;
}

// One InetFetch with its status and Content-Type.
Fetched FetchAnswer(const Text& url, http::RequestOptions& options) {
  Text headers;
  options.responseHeaders = &headers;
  Fetched answer;
  answer.body = http::InetFetch(url, options);
  answer.status = http::StatusCodeOf(headers);
  answer.contentType = LastHeaderValue(headers, "Content-Type");
  return answer;
}

}  // namespace

Fetchers NetworkFetchers(http::CancelToken* cancel, const sources::Profile& p,
                         http::CertificateCheck* certificates) {
  Fetchers fetchers;
  // An engine whose verification shows as a redirect is asked without
  // following redirects, so that the redirect's target can be read; any
  // other redirect is then followed with one more request.
  const Text proxy = p.proxy;
  fetchers.searchPage = [cancel, proxy, certificates](const Text& url, const sources::Engine& engine) {
    if (engine.verification.statuses.empty()) {
      return FetchSearchPage(url, engine, true, cancel, proxy, certificates);
    }
    SearchAnswer answer = FetchSearchPage(url, engine, false, cancel, proxy, certificates);
    if (!IsRedirect(answer.status) || answer.location.empty() ||
        IsVerificationPage(answer, engine.verification)) {
      return answer;
    }
    Text target = answer.location;
    if (target.find("://") == Text::npos) {
      const size_t path = url.find('/', url.find("://") + 3);
      target = url.substr(0, path) + (core::StartsWith(target, "/") ? "" : "/") + target;
    }
    return FetchSearchPage(target, engine, true, cancel, proxy, certificates);
  };
  fetchers.articlePage = [cancel, proxy, certificates, headers = p.article.headers](const Text& url) {
    http::RequestOptions options;
    options.cancel = cancel;
    options.certificates = certificates;
    if (!proxy.empty()) options.proxy = proxy;
    if (!headers.empty()) options.headers = headers;
    return FetchAnswer(url, options);
  };
  // An image host that accepts and never answers must not hold the pass:
  // the time-outs are set explicitly (WinInet's receive time-out is
  // otherwise infinite under Wine).
  fetchers.image = [cancel, proxy, certificates](const Text& url) {
    http::RequestOptions options;
    options.cancel = cancel;
    options.certificates = certificates;
    if (!proxy.empty()) options.proxy = proxy;
    options.timeoutSeconds = 30;
    return FetchAnswer(url, options);
  };
  return fetchers;
}

}  // namespace collector
