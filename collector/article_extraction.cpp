#include "collector/article_extraction.h"

#include <utility>

#include "core/cut.h"
#include "core/encoding.h"
#include "core/url_codec.h"
#include "html/extract.h"
#include "regex/regex.h"

namespace collector {
namespace {

bool IsTitleBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The title without the `remove` pattern's matches and without tags, its
// line breaks and blank runs made single blanks, trimmed.
Text PlainTitle(const Text& title, const Text& remove) {
  Text text = title;
  Text next;
  if (!remove.empty()) {
    regex::Regex removal;
    if (removal.Compile(remove, /*ignoreCase=*/true) &&
        removal.Replace(text, "", /*global=*/true, next) == regex::Status::kMatch) {
      text.swap(next);
    }
  }
  static const regex::Regex tag = [] {
    regex::Regex r;
    r.Compile("<[^>]*>");
    return r;
  }();
  if (tag.Replace(text, "", /*global=*/true, next) == regex::Status::kMatch) text.swap(next);
  Text out;
  for (char c : text) {
    if (!IsTitleBlank(c)) {
      out.push_back(c);
    } else if (!out.empty() && out.back() != ' ') {
      out.push_back(' ');
    }
  }
  return core::Trim(out);
}

}  // namespace

Text ArticlePageText(const Bytes& body, bool percentDecode) {
  if (percentDecode) return core::UrlDecode(core::TextFromBytes(body), true);
  return core::Utf8ToGbk(core::TextFromBytes(body));
}

ArticleCut CutArticle(const Text& page, const sources::ArticleRules& rules) {
  ArticleCut cut;
  for (size_t i = 0; i < rules.layouts.size(); ++i) {
    const sources::Layout& layout = rules.layouts[i];
    if (core::Find(page, layout.detect) < 1) continue;
    cut.layout = int(i) + 1;
    for (const sources::Cut& title : layout.titles) {
      cut.title = core::TextBetween(page, title.left, title.right);
      if (layout.titleStripTags) cut.title = PlainTitle(cut.title, layout.titleRemove);
      if (!cut.title.empty()) break;
    }
    cut.body = core::TextBetween(page, layout.detect, layout.bodyEnd);
    const int detected = core::Find(page, layout.detect);
    cut.endMissing = core::Find(page, layout.bodyEnd, detected + int(layout.detect.size())) < 1;
    for (const Text& text : rules.removed) cut.body = core::ReplaceAll(cut.body, text, "");
    if (!rules.removePattern.empty()) {
      regex::Regex removal;
      Text kept;
      if (removal.Compile(rules.removePattern, /*ignoreCase=*/true) &&
          removal.Replace(cut.body, "", /*global=*/true, kept) == regex::Status::kMatch) {
        cut.body.swap(kept);
      }
    }
    break;
  }
  return cut;
}

ArticleCut ReadArticle(const Text& page, const sources::ArticleRules& rules) {
  ArticleCut article = CutArticle(page, rules);
  if ((article.layout == 0 || article.endMissing) && rules.fallback) {
    // The general extractor reads the page without the texts the rules
    // remove (so none leaves an empty paragraph behind); the body then goes
    // through the same cleaning as a layout's.
    Text cleaned = page;
    for (const Text& text : rules.removed) cleaned = core::ReplaceAll(cleaned, text, "");
    html::Extracted found = html::ExtractArticle(cleaned);
    if (article.title.empty()) article.title = std::move(found.title);
    article.body = std::move(found.body);
  }
  return article;
}

}  // namespace collector
