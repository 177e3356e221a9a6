// Whether a search result is about the keyword, judged by its title and
// snippet on the result page.
//
// The measure: the keyword's terms are its pairs of adjacent Chinese
// characters ("耿宝昌逝世" gives 耿宝 宝昌 昌逝 逝世) and its ASCII words
// (letters and digits, any letter case), each counted once. A result's
// relevance is the share of those terms found in its title and snippet, in
// percent. Pairs rather than single characters, because unrelated pages
// share common characters; pairs rather than whole words, because Chinese
// has no blanks between words and a headline rewords the keyword (故宫博物院
// 讣告：耿宝昌逝世 against 耿宝昌逝世，享年101岁 shares 4 of 10 pairs). Blanks,
// punctuation and full-width symbols only separate terms.
#pragma once

#include "core/text.h"

namespace collector {

using core::Text;
using core::TextArray;

// The keyword's terms, each once, in order of first appearance.
TextArray KeywordTerms(const Text& keyword);

// The share of the keyword's terms found in `text`, in percent; 100 for a
// keyword without terms (nothing to judge by).
int RelevancePercent(const Text& keyword, const Text& text);

}  // namespace collector
