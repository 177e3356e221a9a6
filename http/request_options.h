// The request options shared by the three page-fetch clients (WinHttpFetch,
// ComHttpRequest, InetFetch). Every option may be left out, and a left-out
// option is a state of its own: an empty optional is "not given", which for
// some options behaves differently from any value (for instance `cookies`
// given but empty switches the client's own cookie handling off).
//
// In/out options are written back into this struct by the client that
// treats them as in/out; outputs are delivered through the pointers, which
// stay null when the caller does not want them.
#pragma once

#include <optional>

#include "core/text.h"
#include "http/cancel.h"
#include "http/certificates.h"

struct IDispatch;  // the COM request object, when the caller has one

namespace http {

using core::Bytes;
using core::Text;

struct RequestOptions {
  // --- inputs ---
  // Method number: 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE,
  // 6 TRACE, 7 CONNECT; anything else is GET.
  std::optional<int> method;
  // Body as text; sent when `postBytes` is empty.
  std::optional<Text> postText;
  // Body as bytes; wins over `postText` when non-empty. InetFetch writes the
  // bytes of `postText` back here when it had to use them.
  std::optional<Bytes> postBytes;
  // Cookies to send: "a=1; b=2" or a whole "Cookie: ..." line. Receives the
  // merged cookies after a merge (and, for ComHttpRequest, loses "Cookie:").
  std::optional<Text> cookies;
  // Caller's request header lines, separated by CRLF. ComHttpRequest and
  // InetFetch write back the block they actually used; WinHttpFetch never does.
  std::optional<Text> headers;
  // True: do not follow redirects.
  std::optional<bool> noRedirect;
  // Server credentials, Basic (WinHttpFetch only).
  std::optional<Text> userName;
  std::optional<Text> userPassword;
  // Proxy "host:port"; empty: no proxy.
  std::optional<Text> proxy;
  std::optional<Text> proxyUser;
  std::optional<Text> proxyPassword;
  // ComHttpRequest: 1 (the default) sends Basic proxy credentials, others none.
  std::optional<int> proxyAuthMode;
  // Seconds. WinHttpFetch and InetFetch: 0 or less (or not given) is 30.
  // ComHttpRequest: -1 keeps the object's own time-outs; below 1 is 15.
  std::optional<int> timeoutSeconds;
  // Default true each.
  std::optional<bool> mergeCookies;
  std::optional<bool> addDefaultHeaders;
  std::optional<bool> normaliseHeaders;
  // ComHttpRequest: an existing WinHttp.WinHttpRequest.5.1 object to use
  // instead of a new one; the caller keeps its reference.
  IDispatch* requestObject = nullptr;

  // --- outputs (null: not wanted) ---
  // Cookies set by the response, "a=1; b=2". WinHttpFetch appends to what the
  // variable held; the other clients replace it.
  Text* responseCookies = nullptr;
  // The raw response header block, status line included, lines CRLF-separated.
  Text* responseHeaders = nullptr;
  // WinHttpFetch: the value of the last "Location: " line; untouched when none.
  Text* location = nullptr;
  // WinHttpFetch: "200 OK\r" (the CR stays) or a numbered error text.
  Text* statusText = nullptr;
  // WinHttpFetch: the raw body.
  Bytes* responseBody = nullptr;
  // ComHttpRequest: the status code, 0 when no response came.
  int* statusCode = nullptr;

  // --- control ---
  // Checked before sending and between read chunks; a cancelled exchange
  // closes its handles and returns what a failed exchange returns.
  CancelToken* cancel = nullptr;
  // Whether the server's certificate is checked, and where a refusal is
  // told. Null: certificate errors are ignored. A refused certificate fails
  // the exchange like a connection that could not be made.
  CertificateCheck* certificates = nullptr;
};

}  // namespace http
