#include "collector/search_results.h"

#include "core/cut.h"
#include "core/escapes.h"
#include "core/url_codec.h"
#include "regex/regex_object.h"

namespace collector {
namespace {

constexpr char kKeywordSlot[] = "{keyword}";

}  // namespace

Text SearchAddress(const sources::Engine& engine, const Text& site) {
  return core::ReplaceAll(engine.address, "{site}", site);
}

Text SearchUrl(const Text& address, const Text& keyword, sources::KeywordEncoding encoding) {
  const Text encoded =
      core::UrlEncode(keyword, true, encoding == sources::KeywordEncoding::kUtf8);
  if (address.find(kKeywordSlot) == Text::npos) return address + encoded;
  return core::ReplaceAll(address, kKeywordSlot, encoded);
}

Text FirstResultLink(const Text& resultPage, const sources::Engine& rules) {
  Text link;
  if (!rules.resultPattern.text.empty()) {
    regex::RegexObject regex;
    regex.Create(rules.resultPattern.text, resultPage, rules.resultPattern.ignoreCase,
                 rules.resultPattern.multiline, /*global=*/false);
    link = regex.SubMatchText(1, rules.resultPattern.submatch);
  } else {
    link = resultPage;
    for (const sources::Cut& cut : rules.firstResult) {
      if (cut.right.empty()) {
        const int at = core::Find(link, cut.left);
        link = at < 1 ? Text() : link.substr(size_t(at - 1) + cut.left.size());
      } else {
        link = core::TextBetween(link, cut.left, cut.right);
      }
      if (link.empty()) break;
    }
  }
  return UnwrapLink(sources::Unescaped(link, rules.linkUnescape), rules.unwrap);
}

Text UnwrapLink(const Text& link, sources::LinkUnwrap mode) {
  if (mode != sources::LinkUnwrap::kBase64Target) return link;
  const size_t query = link.find('?');
  if (query == Text::npos) return link;
  size_t at = link.find("&u=a1", query);
  if (at == Text::npos) at = link.find("?u=a1", query);
  if (at == Text::npos) return link;
  const size_t begin = at + 5;
  const size_t end = link.find('&', begin);
  Text target;
  if (!core::Base64UrlDecode(link.substr(begin, end == Text::npos ? Text::npos : end - begin),
                             target)) {
    return link;
  }
  // Only an address is a target; anything else leaves the link as it came.
  if (!core::StartsWith(target, "http://") && !core::StartsWith(target, "https://")) return link;
  return core::TextFromBytes(target);
}

}  // namespace collector
