// The HEAD request of the network date, through the COM request object.
#include "app/network_date.h"
#include "http/com_request.h"

namespace app {

core::DateTime NetworkDate(const Text& url, http::CancelToken* cancel, const Text& proxy,
                           http::CertificateCheck* certificates) {
  Text headers;
  http::RequestOptions options;
  options.method = 2;  // HEAD
  options.responseHeaders = &headers;
  options.cancel = cancel;
  options.certificates = certificates;
  if (!proxy.empty()) options.proxy = proxy;
  http::ComHttpRequest(url, options);
  return DateFromHeaders(headers);
}

}  // namespace app
