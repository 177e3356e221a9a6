// The date and time of the output folder, as a web server reports it.
#pragma once

#include "core/date_time.h"
#include "core/text.h"
#include "http/cancel.h"
#include "http/certificates.h"

namespace app {

using core::Text;

// The "Date:" line of a response header block, parsed and moved by eight
// hours; 100-01-01 08:00:00 when there is no such line or it is unreadable.
core::DateTime DateFromHeaders(const Text& headerBlock);

// Sends a HEAD request to `url` and reads the date of its answer. The
// exchange ends early when `cancel` is cancelled (the date is then the
// no-answer date). It goes through `proxy` unless that is empty, and
// checks the certificate as `certificates` says (null: errors ignored).
// Windows only.
core::DateTime NetworkDate(const Text& url, http::CancelToken* cancel = nullptr,
                           const Text& proxy = Text(), http::CertificateCheck* certificates = nullptr);

}  // namespace app
