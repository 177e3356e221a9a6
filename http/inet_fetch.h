// One synchronous HTTP or HTTPS exchange over the WinInet API, returning the
// body as bytes; also the URL splitting it uses.
#pragma once

#include "http/request_options.h"

namespace http {

// Sends the request and returns the body as read (empty for HEAD and on
// failure). Writes back `headers` (the block sent), `postBytes` (when filled
// from `postText`) and `cookies` (merged); delivers `responseHeaders` and
// `responseCookies`. Connect, send and receive time-outs are
// `timeoutSeconds` (30 when not given or below 1), so a silent server cannot
// hold the caller for good. A cancelled exchange returns empty bytes and
// writes no output.
Bytes InetFetch(const Text& url, RequestOptions& options);
Bytes InetFetch(const Text& url);

// Host of `url` in lower case, with ":port" when `keepPort` and the URL names one.
Text UrlHost(const Text& url, bool keepPort = false);
// The URL's port: the one it names, else 443 for https and 80 otherwise.
int UrlPort(const Text& url);
// Path and query of `url`, beginning with "/", letter case unchanged.
Text UrlPath(const Text& url);

}  // namespace http
