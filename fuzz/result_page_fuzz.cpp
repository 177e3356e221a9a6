// A search engine's answer from outside, read by every engine's rules: the
// result blocks, the verification signs, the site and relevance checks.
#include "collector/relevance.h"
#include "collector/result_page.h"
#include "fuzz/fuzz_input.h"
#include "sources/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto p = FuzzParts(data, size, 2);
  const core::Text& page = p[0];
  const core::Text& keyword = p[1];
  for (const sources::Engine& engine : sources::Current().search.engines) {
    for (const collector::SearchResult& r : collector::ReadResults(page, engine)) {
      // Everything read comes out of the page (an unwrapped link is shorter
      // than its wrapping).
      if (r.link.empty() || r.link.size() > page.size()) __builtin_trap();
      if (r.title.size() > page.size() || r.snippet.size() > page.size()) __builtin_trap();
      const int percent = collector::RelevancePercent(keyword, r.title + " " + r.snippet);
      if (percent < 0 || percent > 100) __builtin_trap();
      collector::IsSiteArticle(r.link, sources::Current().search.sites[0]);
    }
    collector::IsVerificationPage({page, 302, keyword}, engine.verification);
  }
  return 0;
}
