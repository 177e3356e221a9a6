// The search request for a keyword, and the first result's link as the old
// engine's rules cut it from the page's text.
#pragma once

#include "core/text.h"
#include "sources/profile.h"

namespace collector {

using core::Text;

// The engine's address with the site filled in, waiting for the keyword (at
// "{keyword}", or at the end when the address has none).
Text SearchAddress(const sources::Engine& engine, const Text& site);

// The address with the keyword percent-encoded (UTF-8 or GBK) put in.
Text SearchUrl(const Text& address, const Text& keyword,
               sources::KeywordEncoding encoding = sources::KeywordEncoding::kUtf8);

// The link of the first result on a result page, cut (or matched) and
// unwrapped as the engine's rules say; "" when the block or its link is
// missing.
Text FirstResultLink(const Text& resultPage, const sources::Engine& engine);

// The target of an engine's redirect link; any other link as it is.
Text UnwrapLink(const Text& link, sources::LinkUnwrap mode);

}  // namespace collector
