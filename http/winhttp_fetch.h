// One synchronous HTTP or HTTPS exchange over the WinHTTP API, returning the
// body as GBK text decoded by the charset the page declares.
#pragma once

#include "http/request_options.h"

namespace http {

// Sends the request that `url` and `options` describe and returns the body
// as text (empty on every failure). Outputs are written only on the paths
// where the exchange produced them; a failed step writes its numbered error
// text ("711 发送请求失败!" and the like) to `statusText` and nothing else.
// A cancelled exchange returns empty text and writes no output.
Text WinHttpFetch(const Text& url, RequestOptions& options);
Text WinHttpFetch(const Text& url);

// GBK text as zero-terminated UTF-16LE bytes; empty text gives empty bytes.
Bytes TextToUtf16(const Text& text);
// UTF-16LE bytes as GBK text, ending at the first zero character.
Text Utf16ToText(const Bytes& utf16);

// The value of the first line that starts with `name` (byte compare): the
// part after the last `name` + ": " in that line; empty when there is none.
Text HeaderValue(const Text& block, const Text& name);

}  // namespace http
