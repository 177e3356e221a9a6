// One answer of the network as the collector reads it.
#pragma once

#include "core/text.h"

namespace collector {

struct Fetched {
  core::Bytes body;        // empty on failure
  int status = 0;          // the final answer's status; 0 when unknown
  core::Text contentType;  // its Content-Type value, "" when none

  // A status of 400 or more: the body is the server's error page.
  bool IsErrorStatus() const { return status >= 400; }
};

}  // namespace collector
