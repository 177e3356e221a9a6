// The anonymous visitor cookie some hot pages want: asked for from the
// visitor service, kept in memory for the life of the process (never written
// anywhere), renewed once per page when the page refuses it.
#pragma once

#include <mutex>

#include "core/safe_points.h"
#include "hotwords/page_request.h"
#include "sources/profile.h"

namespace hotwords {

// The cookie, shared by the passes of one process.
class VisitorCookie {
 public:
  Text Get() const;
  void Set(const Text& cookie);

 private:
  mutable std::mutex mutex_;
  Text cookie_;
};

// True when the page is the visitor page: a status the service names, or
// its marker in the text.
bool IsVisitorWall(const FetchedPage& page, const sources::VisitorService& service);

// The POST that asks the service for a cookie.
PageRequest VisitorRequest(const sources::VisitorService& service);

// "SUB=<sub>; SUBP=<subp>" from the service's answer (JSONP around
// {"data":{"sub":"...","subp":"..."}}); "" when the answer holds no sub.
Text VisitorCookieFromAnswer(const Text& answer);

// Fetches `page` with the visitor cookie: asks for one first when `cookie`
// holds none; when the answer is the visitor page, asks for a new one and
// fetches once more. `wall` tells whether the last answer was still the
// visitor page. Returns an empty page when stopped.
FetchedPage FetchWithVisitorCookie(const PageRequest& page, const sources::VisitorService& service,
                                   VisitorCookie& cookie, const RequestFetch& fetch,
                                   core::SafePoints& safePoints, bool& wall);

}  // namespace hotwords
