#include "collector/result_page.h"

#include <string_view>

#include "collector/search_results.h"
#include "html/tree.h"
#include "regex/regex.h"

namespace collector {
namespace {

// One step of a selector: a tag name, a class token and an attribute that
// must be present; an empty part matches anything.
struct Step {
  Text tag;
  Text className;
  Text attribute;
};
using Chain = std::vector<Step>;  // each step inside the one before

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

Step ParseStep(const Text& text) {
  Step step;
  Text* part = &step.tag;
  for (char c : text) {
    if (c == '.') {
      part = &step.className;
    } else if (c == '[') {
      part = &step.attribute;
    } else if (c != ']') {
      part->push_back(part == &step.className ? c : core::AsciiLower(c));
    }
  }
  return step;
}

// "a b, c" gives {{a, b}, {c}}.
std::vector<Chain> ParseSelector(const Text& selector) {
  std::vector<Chain> chains;
  for (const Text& alternative : core::Split(selector, ",")) {
    Chain chain;
    for (const Text& word : core::Split(core::Trim(alternative), " ")) {
      if (!word.empty()) chain.push_back(ParseStep(word));
    }
    if (!chain.empty()) chains.push_back(chain);
  }
  return chains;
}

bool HasClassToken(std::string_view classes, std::string_view token) {
  size_t i = 0;
  while (i < classes.size()) {
    while (i < classes.size() && IsBlank(classes[i])) ++i;
    size_t end = i;
    while (end < classes.size() && !IsBlank(classes[end])) ++end;
    if (end > i && classes.substr(i, end - i) == token) return true;
    i = end;
  }
  return false;
}

bool StepMatches(const html::Document& doc, int n, const Step& step) {
  const html::Node& node = doc.At(n);
  if (node.isText || n == html::Document::kRoot) return false;
  if (!step.tag.empty() && doc.TagName(n) != step.tag) return false;
  if (!step.className.empty() && !HasClassToken(doc.Attribute(n, "class"), step.className)) {
    return false;
  }
  return step.attribute.empty() || doc.HasAttribute(n, step.attribute);
}

// The node matches the chain's last step and its ancestors below `scope`
// match the steps before, in order (as a descendant selector does).
bool ChainMatches(const html::Document& doc, int n, const Chain& chain, int scope) {
  if (!StepMatches(doc, n, chain.back())) return false;
  int step = int(chain.size()) - 2;
  for (int a = doc.At(n).parent; step >= 0 && a > scope; a = doc.At(a).parent) {
    if (StepMatches(doc, a, chain[size_t(step)])) --step;
  }
  return step < 0;
}

// The index past the last node of n's subtree (nodes are in document order).
int SubtreeEnd(const html::Document& doc, int n) {
  for (int a = n; a >= 0; a = doc.At(a).parent) {
    if (doc.At(a).nextSibling >= 0) return doc.At(a).nextSibling;
  }
  return doc.Size();
}

// The first node inside `scope` that an alternative of the selector finds,
// alternatives tried in turn; -1 when none.
int FindFirst(const html::Document& doc, int scope, const std::vector<Chain>& selector) {
  const int end = SubtreeEnd(doc, scope);
  for (const Chain& chain : selector) {
    for (int n = scope + 1; n < end; ++n) {
      if (ChainMatches(doc, n, chain, scope)) return n;
    }
  }
  return -1;
}

// The subtree's texts joined, each run of blanks made one space, trimmed.
Text PlainText(const html::Document& doc, int n) {
  Text out;
  const int end = SubtreeEnd(doc, n);
  for (int i = n; i < end; ++i) {
    if (!doc.At(i).isText) continue;
    for (char c : doc.Text(i)) {
      if (!IsBlank(c)) {
        out.push_back(c);
      } else if (!out.empty() && out.back() != ' ') {
        out.push_back(' ');
      }
    }
  }
  return core::Trim(out);
}

Text Pick(const html::Document& doc, int block, const sources::Picker& picker) {
  if (picker.selector.empty()) return Text();
  const int n = FindFirst(doc, block, ParseSelector(picker.selector));
  if (n < 0) return Text();
  if (picker.attribute.empty()) return PlainText(doc, n);
  return core::Trim(Text(doc.Attribute(n, picker.attribute)));
}

}  // namespace

bool ReadsBlocks(const sources::Engine& engine) {
  return !engine.block.empty() && engine.resultPattern.text.empty();
}

std::vector<SearchResult> ReadResults(const Text& page, const sources::Engine& engine) {
  std::vector<SearchResult> results;
  if (!ReadsBlocks(engine)) {
    const Text link = FirstResultLink(page, engine);
    if (!link.empty()) results.push_back({link, Text(), Text()});
    return results;
  }
  const html::Document doc = html::ParseDocument(page);
  const std::vector<Chain> blocks = ParseSelector(engine.block);
  for (int n = 1; n < doc.Size();) {
    bool isBlock = false;
    for (const Chain& chain : blocks) isBlock = isBlock || ChainMatches(doc, n, chain, -1);
    if (!isBlock) {
      ++n;
      continue;
    }
    // A block inside a block is part of the outer result.
    SearchResult result;
    result.link = UnwrapLink(Pick(doc, n, engine.link), engine.unwrap);
    result.title = Pick(doc, n, engine.title);
    result.snippet = Pick(doc, n, engine.snippet);
    if (!result.link.empty()) results.push_back(std::move(result));
    n = SubtreeEnd(doc, n);
  }
  return results;
}

bool IsVerificationPage(const SearchAnswer& answer, const sources::VerificationSigns& signs) {
  for (int status : signs.statuses) {
    if (answer.status == status &&
        (signs.redirect.empty() || core::Find(answer.location, signs.redirect) > 0)) {
      return true;
    }
  }
  if (!signs.resultsMarker.empty() && core::Find(answer.page, signs.resultsMarker) > 0) return false;
  for (const Text& marker : signs.markers) {
    if (!marker.empty() && core::Find(answer.page, marker) > 0) return true;
  }
  return false;
}

Text LinkHost(const Text& link) {
  Text lower;
  for (char c : link.substr(0, 8)) lower.push_back(core::AsciiLower(c));
  size_t begin = 0;
  if (core::StartsWith(lower, "http://")) {
    begin = 7;
  } else if (core::StartsWith(lower, "https://")) {
    begin = 8;
  } else {
    return Text();
  }
  size_t end = link.find_first_of("/?#\\", begin);
  if (end == Text::npos) end = link.size();
  Text authority = link.substr(begin, end - begin);
  // "https://www.site.com@elsewhere/" is on elsewhere.
  const size_t at = authority.rfind('@');
  if (at != Text::npos) authority = authority.substr(at + 1);
  const size_t colon = authority.find(':');
  if (colon != Text::npos) authority = authority.substr(0, colon);
  Text host;
  for (char c : authority) host.push_back(core::AsciiLower(c));
  return host;
}

Text LinkPath(const Text& link) {
  const size_t scheme = link.find("://");
  if (scheme == Text::npos) return Text();
  size_t begin = link.find_first_of("/?#", scheme + 3);
  if (begin == Text::npos) begin = link.size();
  size_t end = link.find_first_of("?#", begin);
  if (end == Text::npos) end = link.size();
  return begin < end && link[begin] == '/' ? link.substr(begin, end - begin) : "/";
}

bool IsSiteArticle(const Text& link, const sources::NewsSite& site) {
  const Text host = LinkHost(link);
  bool onSite = !host.empty() && host == LinkHost("http://" + site.host);
  for (const Text& other : site.otherHosts) onSite = onSite || host == LinkHost("http://" + other);
  if (!onSite) return false;
  if (site.articlePath.empty()) return true;
  const Text path = LinkPath(link);
  regex::Regex pattern;
  if (!pattern.Compile(site.articlePath, /*ignoreCase=*/false)) return false;
  std::vector<std::int32_t> captures;
  return pattern.Execute(path, /*global=*/false, captures) == regex::Status::kMatch &&
         !captures.empty();
}

}  // namespace collector
