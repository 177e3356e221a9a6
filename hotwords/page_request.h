// A hot page's request and answer as the harvest sees them, apart from the
// HTTP client that carries them out.
#pragma once

#include <functional>

#include "core/text.h"

namespace hotwords {

using core::Text;

struct PageRequest {
  Text url;
  bool post = false;
  Text body;     // sent with a POST
  Text headers;  // extra header lines, CRLF-separated
  Text cookies;  // "a=1; b=2"; "" sends none
  Text charset;  // of a page that declares none; "" takes the bytes as GBK
};

struct FetchedPage {
  Text text;       // the body as GBK text; "" on any failure
  int status = 0;  // the HTTP status, 0 when no answer came
};

using RequestFetch = std::function<FetchedPage(const PageRequest& request)>;

}  // namespace hotwords
