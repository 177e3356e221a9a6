#include <gtest/gtest.h>

#include "collector/content_cleaning.h"
#include "core/text.h"
#include "html/tokenizer.h"
#include "sources/profile.h"

namespace {

using core::Text;

// The text of the first text token of `page`.
Text TokenizedText(const Text& page) {
  html::Tokenizer tokenizer(page);
  html::Token token;
  for (tokenizer.Next(token); token.type != html::TokenType::kEnd; tokenizer.Next(token)) {
    if (token.type == html::TokenType::kText) return token.text;
  }
  return Text();
}

// A page of a known layout has its references decoded by the cleaning; a
// page of none goes to the extractor, whose tokenizer decodes them. Either
// way the article must hold the same characters.
TEST(TextPaths, LayoutAndFallbackDecodeReferencesAlike) {
  sources::CleaningRules decoding;
  decoding.blanks = sources::BlankRule::kCollapse;
  decoding.decodeEntities = true;
  const char* const refs[] = {
      "&amp;",    "&lt;",      "&AMP;",   "&emsp;",     "&nbsp;",     "&#160;",  "&thinsp;",
      "&#128;",   "&#x92;",    "&#x2019;", "&hellip;",  "&hellip",    "&copy;",  "&copy2024",
      "&ltd",     "&unknown;", "&zwnj;",  "&shy;",      "&#x1F600;",  "&#0;",    "&#x110000;",
      "&#20013;", "&#x3000;",  "&trade;", "&amp;lt;",   "&",          "&#;",     "&#xD800;",
  };
  for (const char* ref : refs) {
    const Text cleaned = collector::CleanHtml("a" + Text(ref) + "b", decoding);
    EXPECT_EQ(cleaned, TokenizedText("<p>a" + Text(ref) + "b</p>")) << ref;
  }
}

}  // namespace
