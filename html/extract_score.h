// The choosing phases of the extractor over one page's tree: clean it (mark
// what can never be article), measure every block's text, score candidates
// by the prose under them, pick the winner and widen it by its siblings, and
// tidy the chosen part by named removal rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "html/extract_measure.h"
#include "html/tree.h"

namespace html::extraction {

// One block's own text (not inside a nested block).
struct Block {
  TextMeasure own;  // text not inside a nested block
  int ownLinkUnits = 0;
  bool hasBlockChild = false;
};

// The sums over a node's subtree the scoring and the removal rules read.
struct Subtree {
  int units = 0;
  int prose = 0;  // paragraphs long enough to score, and their length
  int proseUnits = 0;
  int linkUnits = 0;
  int commas = 0;
  int stops = 0;
  int paragraphs = 0;
  int images = 0;
  int items = 0;  // li
  int rows = 0;   // tr
  int tables = 0;
  int inputs = 0;
  int embeds = 0;
  int headingUnits = 0;
  int requestCues = 0;
  int legalCues = 0;
};

// The most prose under one parent: the units of its child paragraphs
// (a paragraph wrapped alone in a block counts toward the wrapper's parent).
struct ProseRun {
  int node = -1;
  int units = 0;
  std::vector<int> paragraphs;  // in document order
  std::vector<int> paragraphUnits;
  int hiddenUnits = 0;  // of paragraphs in hidden blocks
};

bool IsRequestOrLegal(const TextMeasure& m);

// What the removal rules read of one block.
struct Facts {
  std::uint32_t tag;
  const Subtree& s;
  double weight;  // of its class and id names
  double score;   // as a candidate, 0 when it was none
  double linkDensity;
  bool discussion;  // named like readers' comments
  bool IsList() const { return tag == kTag_ul || tag == kTag_ol; }
};

// Which rules a try applies; later tries drop some when the first finds too little.
struct Rules {
  bool stripUnlikely = true;  // drop blocks named like sidebars and comments before scoring
  bool weighClasses = true;   // let class and id names add to or take from a score
  bool tidy = true;           // remove clutter from the chosen part (notices,
                              // footers and discussion go on every try)
};

// What one try chose: sibling roots in document order, the winner among
// them, their length, and the nodes inside them the writer leaves out.
struct Choice {
  std::vector<int> roots;
  int top = -1;
  int units = 0;
  int proseUnits = 0;  // of the paragraphs kept
  std::vector<std::uint8_t> dropped;  // per node
};

class Extractor {
 public:
  explicit Extractor(const Document& doc);

  // One try; `winner`, when given, is taken as the winner instead of the
  // best-scoring candidate.
  Choice Run(const Rules& rules, int winner = -1);
  // The page's strongest run of prose outside the notices the tries so far
  // have set aside.
  const ProseRun& StrongestRun();
  // The strongest run's paragraphs as the choice, whatever the rules say.
  Choice RunChoice() const;

  // True when node `inner` lies in the subtree of `outer`.
  bool Contains(int outer, int inner) const { return outer >= 0 && inner >= outer && inner < ends_[size_t(outer)]; }
  // For every node, one past the last node of its subtree.
  const std::vector<int>& Ends() const { return ends_; }
  // Which elements have a class or id that names a headline.
  std::vector<bool> HeadlineNames() const;

 private:
  // What the class and id names of an element say, read once per page.
  enum NameFlag : std::uint8_t { kUnlikely = 1, kMaybe = 2, kNegative = 4, kPositive = 8, kHeadline = 16,
                          kDiscussion = 32 };
  static std::vector<std::uint8_t> ReadNames(const Document& d);
  static std::vector<TextMeasure> MeasureTexts(const Document& d);
  ProseRun FindStrongestRun() const;
  bool HasOneChild(int n) const;

  // clean
  bool IsHidden(int n) const;
  bool IsUnlikelyCandidate(int n) const;
  void CleanTree();
  // measure
  void MeasureTree();
  static bool IsProse(const Block& b);
  double ParagraphLength(int n) const;
  double LinkDensity(int n) const;
  // score
  double ClassWeight(int n) const;
  void AddScore(int n, double points);
  void ScoreCandidates();
  // pick and widen
  bool IsAncestor(int ancestor, int n) const;
  int PickWinner();
  bool HasOnlyChild(int n) const;
  bool EndsSentence(int n) const;
  std::vector<int> WidenBySiblings(int top);
  // tidy
  TextMeasure MeasureKept(Choice& choice) const;
  bool Dropped(int n) const { return skip_[size_t(n)] || removed_[size_t(n)]; }
  Facts FactsOf(int n) const;
  bool IsNeverArticle(int n) const;
  bool IsClutter(int n) const;
  bool IsDataTable(int n) const;
  std::string Letters(int n) const;
  int DiscussionStart(int root) const;
  void Tidy(int root);

  const Document& d_;
  const int n_;
  const std::vector<int> ends_;
  const std::vector<std::uint8_t> names_;
  const std::vector<TextMeasure> texts_;
  std::vector<std::uint8_t> notice_;  // roots of consent bars and footers a try chose, set aside for good
  ProseRun strongest_;
  Rules rules_;
  std::vector<std::uint8_t> skip_, removed_, scored_;
  std::vector<Block> block_;
  std::vector<Subtree> sub_;
  std::vector<int> blockOf_;
  std::vector<double> score_;
  std::vector<int> candidates_;
};

}  // namespace html::extraction
