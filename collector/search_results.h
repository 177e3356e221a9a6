// The search request for a keyword and the link of its first result.
#pragma once

#include "core/text.h"

namespace collector {

using core::Text;

// "https://" + searchHost + "/s?wd=site%3A" + newsSite + "%20": the search
// restricted to the news site, waiting for the encoded keyword.
Text SearchUrlPrefix(const Text& searchHost, const Text& newsSite);

// The prefix followed by the keyword as UTF-8, percent-encoded.
Text SearchUrl(const Text& prefix, const Text& keyword);

// The address in the first result block of a result page; "" when the block
// or its link is missing.
Text FirstResultLink(const Text& resultPage);

}  // namespace collector
