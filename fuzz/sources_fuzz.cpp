// Outside text the source rules read: settings.ini, escaped keywords, the
// visitor service's answer and result links.
#include <algorithm>

#include "collector/search_results.h"
#include "core/escapes.h"
#include "fuzz/fuzz_input.h"
#include "hotwords/visitor_cookie.h"
#include "sources/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto p = FuzzParts(data, size, 3);
  core::TextArray problems;
  const sources::Settings settings = sources::ParseSettings(p[0], problems);
  const sources::Profile profile = sources::BuildProfile(settings, "", problems);
  // At most one problem a line, or the one for an oversized file.
  if (problems.size() > size_t(std::count(p[0].begin(), p[0].end(), '\n') + 1)) __builtin_trap();
  if (profile.hotLists.size() < 2 || profile.hotOrder.empty() || profile.article.layouts.empty()) __builtin_trap();

  const core::Text json = core::JsonUnescape(p[1]);
  const core::Text html = core::HtmlUnescape(p[1]);
  if (json.find('\0') != core::Text::npos || html.find('\0') != core::Text::npos) __builtin_trap();
  if (p[1].find('\\') == std::string::npos && json != p[1]) __builtin_trap();

  const core::Text cookie = hotwords::VisitorCookieFromAnswer(p[2]);
  if (cookie.find_first_of("\r\n,") != core::Text::npos) __builtin_trap();
  for (const sources::Profile* rules : {&sources::Classic(), &sources::Current(), &profile}) {
    for (const sources::Engine& engine : rules->search.engines) {
      if (engine.block.empty() && collector::FirstResultLink(p[2], engine).size() > p[2].size()) {
        __builtin_trap();
      }
    }
  }
  if (profile.search.engines.empty() || profile.search.sites.empty()) __builtin_trap();
  core::Text decoded;
  if (core::Base64UrlDecode(p[2], decoded) && decoded.size() > p[2].size()) __builtin_trap();
  return 0;
}
