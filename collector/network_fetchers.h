// The collector's fetchers over the program's HTTP clients.
#pragma once

#include "collector/collect_article.h"
#include "http/cancel.h"
#include "http/certificates.h"

namespace collector {

// The search page through WinHttpFetch, the article page and the images
// through InetFetch (redirects followed, 30-second time-outs), with the
// profile's header lines and each engine's own headers and charset. Every exchange checks `cancel` before sending and between read
// chunks, so a stopped pass ends the exchange it is in. Certificates are
// checked as `certificates` says (null: errors ignored).
Fetchers NetworkFetchers(http::CancelToken* cancel, const sources::Profile& profile,
                         http::CertificateCheck* certificates = nullptr);

}  // namespace collector
