// The phases run in order: clean the tree (mark what can never be article),
// measure every block's text, score the candidates, pick the winner and widen
// it by its siblings, tidy the chosen part, and write it out as paragraphs.
// The tuning of every phase is in extract_tuning.h.
#include "html/extract.h"

#include <algorithm>
#include <string>
#include <vector>

#include "html/extract_score.h"
#include "html/extract_title.h"
#include "html/extract_tuning.h"
#include "html/extract_write.h"
#include "html/tree.h"

namespace html {

using namespace extraction;

Extracted ExtractArticle(const core::Text& page) {
  const Document doc = ParseDocument(page);
  Extractor extractor(doc);
  // Fewer rules on a second and third try when the first found too little;
  // a later try counts only where its winner holds the earlier winner (or
  // the earlier found next to nothing), so a comment section that the first
  // try left out cannot take the article's place.
  const Rules attempts[] = {{true, true, true}, {false, true, true}, {false, false, false}};
  Choice best;
  best.units = -1;
  for (const Rules& rules : attempts) {
    Choice choice = extractor.Run(rules);
    const bool widens = best.units < kNextToNothingUnits || extractor.Contains(choice.top, best.top);
    if (choice.units > best.units && widens && (best.top < 0 || choice.proseUnits > best.proseUnits)) best = std::move(choice);
    if (best.units >= kMinArticleUnits) break;
  }
  // A choice far shorter than the page's strongest run of prose, and
  // elsewhere, is a block of links or a notice that happened to win: the run
  // is the article.
  const ProseRun& run = extractor.StrongestRun();
  int runKept = 0;
  for (size_t i = 0; i < run.paragraphs.size(); ++i) {
    const int p = run.paragraphs[i];
    const bool inside = std::any_of(best.roots.begin(), best.roots.end(),
                                    [&](int root) { return extractor.Contains(root, p); });
    if (inside && !best.dropped[size_t(p)]) runKept += run.paragraphUnits[i];
  }
  const bool holdsBlock = run.node >= 0 && !best.dropped.empty() && !best.dropped[size_t(run.node)] &&
                          std::any_of(best.roots.begin(), best.roots.end(),
                                      [&](int root) { return extractor.Contains(root, run.node); });
  // A choice that holds the run's block tidied what it left out on purpose,
  // unless the run is mostly hidden and the choice kept little of it: a
  // page that serves its text hidden until a script shows it.
  const bool mostlyHidden = run.hiddenUnits >= run.units * (1 - kFarShorterShare);
  const bool holdsRun = holdsBlock && !(mostlyHidden && runKept < run.units * kFarShorterShare);
  if (run.node >= 0 && !holdsRun && best.units < run.units * kFarShorterShare) {
    Choice rescue = extractor.Run(attempts[1], run.node);
    if (rescue.units > best.units) best = std::move(rescue);
    // The rules emptied the run too (its blocks hidden, or each judged
    // alone): its paragraphs are the article as they stand.
    if (best.units < run.units * kFarShorterShare) best = extractor.RunChoice();
  }
  Extracted result;
  if (best.roots.empty()) return result;
  result.title = FindTitle(doc, extractor.Ends(), extractor.HeadlineNames());
  result.body = WriteBody(doc, extractor.Ends(), best);
  return result;
}

}  // namespace html
