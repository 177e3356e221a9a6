// A search engine's answer read as results: the result blocks of its page
// (found in the page's tree), its verification page, and which results are
// articles of the searched site.
#pragma once

#include <vector>

#include "core/text.h"
#include "sources/profile.h"

namespace collector {

using core::Text;

// What the engine answered: the page as GBK text, the status (0 when no
// answer came) and the Location of a redirect that was not followed.
struct SearchAnswer {
  Text page;
  int status = 0;
  Text location;
};

struct SearchResult {
  Text link;     // the target, unwrapped and with references decoded
  Text title;    // plain text, blanks collapsed
  Text snippet;  // plain text, blanks collapsed
};

// True when the engine's results are read block by block (it has a block
// rule and no result pattern); otherwise its cuts or pattern give one link,
// taken as it stands.
bool ReadsBlocks(const sources::Engine& engine);

// The results of a page in page order, as the engine's block, link, title
// and snippet pickers find them. A block without a link is left out. An
// engine that reads no blocks gives at most one result: the link its cuts or
// pattern find (no title, no snippet).
std::vector<SearchResult> ReadResults(const Text& page, const sources::Engine& engine);

// True when the answer shows one of the engine's verification signs.
bool IsVerificationPage(const SearchAnswer& answer, const sources::VerificationSigns& signs);

// The host of an absolute http(s) address, lower-case and without user
// information or port; "" when `link` is not one.
Text LinkHost(const Text& link);

// The path of an absolute address, without query or fragment ("/" when it
// has none); "" when `link` has no scheme.
Text LinkPath(const Text& link);

// True when `link` is on the site's host or one of its other hosts (any
// port) and its path (without
// query or fragment) matches the site's article pattern.
bool IsSiteArticle(const Text& link, const sources::NewsSite& site);

}  // namespace collector
