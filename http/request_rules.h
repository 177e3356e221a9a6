// The decisions of the three page-fetch clients, apart from the API calls:
// which verb, which header lines in which order, which cookies, which status
// text, which time-out. The *_win32.cpp clients only carry them out.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "core/text.h"

namespace http {

using core::Bytes;
using core::Text;

// Verb of a method number; anything outside 0..7 is "GET".
Text MethodName(int method);

// The proxy as the platform takes it: unchanged for a secure request,
// "http=" + proxy otherwise; empty stays empty.
Text ProxyList(const Text& proxy, bool secure);

// Standard Base64 (RFC 4648, "=" padding, no line breaks).
Text Base64(std::string_view bytes);

// Appends the cookies of every "Set-Cookie: " line of a raw header block to
// `cookies` as "name=value; " (attributes dropped), then cuts one trailing
// "; ". Lines are split at CRLF only; names are compared case-sensitively.
void AppendSetCookies(const Text& headerBlock, Text& cookies);

// The status code of a raw header block's status line ("HTTP/1.1 200 OK"),
// 0 when there is none.
int StatusCodeOf(const Text& headerBlock);

// False when the response announced more body than `bodySize` bytes: a
// Content-Length larger than what arrived means the connection dropped
// mid-body. A chunked body's end is the client's to see, not the block's.
// Answers without a body (to HEAD; 1xx, 204, 304) are always whole.
bool BodyArrivedWhole(const Text& headerBlock, int statusCode, int method, size_t bodySize);

// --- WinHttpFetch ---

// Time-out in milliseconds: seconds × 1000, or 30000 for 0 or less.
int WinHttpTimeoutMs(int timeoutSeconds);

// The header block sent: the caller's lines, the default lines they lack,
// normalised names, no "Connection: keep-alive" line, and the Cookie line.
Text WinHttpHeaderBlock(const Text& headers, const Text& cookies, int method,
                        bool addDefaultHeaders, bool normaliseHeaders);

// Status text of a raw header block: from byte 10 of the status line up to
// and including its CR ("200 OK\r"); empty without a CRLF after byte 10.
Text StatusTextOf(const Text& headerBlock);

// The value of the last "Location: " line (name in any letter case); false
// and `location` untouched when there is none.
bool LastLocation(const Text& headerBlock, Text& location);

// --- ComHttpRequest ---

// Time-out in milliseconds for SetTimeouts, or -1 for none (the object's own).
int ComTimeoutMs(int timeoutSeconds);

// The caller's block with the default lines it lacks, then normalised.
Text ComHeaderBlock(const Text& headers, const Text& url, int method, bool addDefaultHeaders,
                    bool normaliseHeaders);

// The (name, value) pairs sent one by one: empty lines and lines without a
// name skipped, "Connection: keep-alive" left out, blanks trimmed.
std::vector<std::pair<Text, Text>> ComHeaderLines(const Text& block);

// `cookies` without any "Cookie:" (any letter case).
Text WithoutCookieMarker(const Text& cookies);

// "Basic " + Base64 of "user:password"; empty when there is no proxy or user
// or `proxyAuthMode` is not 1.
Text ProxyAuthorization(const Text& proxy, const Text& proxyUser, const Text& proxyPassword,
                        int proxyAuthMode);

// --- InetFetch ---

inline constexpr std::string_view kInetAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// The agent string: the caller's User-Agent value, else the fixed agent.
Text InetAgent(const Text& headers);

// True when the URL begins with "https://" in any letter case.
bool IsSecureUrl(const Text& url);

// The block sent: defaults, normalisation and the Cookie line, in that order.
Text InetHeaderBlock(const Text& headers, const Text& url, int method, const Text& cookies,
                     bool addDefaultHeaders, bool normaliseHeaders);

// The path and query as HttpOpenRequest gets them: ASCII as it stands, every
// stretch of other characters as the percent-escaped bytes of its UTF-8 form,
// as WinHTTP puts them on the wire ("/图/a.jpg" gives "/%E5%9B%BE/a.jpg").
Text InetObjectName(const Text& path);

// HttpOpenRequest flags.
unsigned InetRequestFlags(bool cookiesGiven, bool noRedirect, bool secure);

// Connect, send and receive time-out in milliseconds (30 s for 0 or less).
int InetTimeoutMs(int timeoutSeconds);

}  // namespace http
