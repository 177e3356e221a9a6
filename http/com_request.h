// One synchronous HTTP or HTTPS exchange through the automation object
// WinHttp.WinHttpRequest.5.1, returning the body as bytes.
#pragma once

#include "http/request_options.h"

namespace http {

// Sends the request and returns the body (empty for HEAD, on failure, or
// without a body). Writes back `headers` (the block used) and `cookies`
// (without "Cookie:", merged); delivers `responseHeaders`, `statusCode`
// (0 without a response) and `responseCookies`. Failed automation calls are
// silent: their values stay empty. Initialises COM for the calling thread
// around the call. A cancelled exchange returns empty bytes, writes no output.
Bytes ComHttpRequest(const Text& url, RequestOptions& options);
Bytes ComHttpRequest(const Text& url);

}  // namespace http
