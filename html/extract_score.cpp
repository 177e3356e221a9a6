#include "html/extract_score.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/text.h"
#include "html/extract_tuning.h"

namespace html::extraction {
namespace {

// For every node, one past the last node of its subtree (nodes are in
// document order, so a subtree is the run of nodes from its root to there).
std::vector<int> SubtreeEnds(const Document& d) {
  std::vector<int> ends(size_t(d.Size()));
  for (int n = d.Size() - 1; n >= 0; --n) {
    const int last = d.At(n).lastChild;
    ends[size_t(n)] = last < 0 ? n + 1 : ends[size_t(last)];
  }
  return ends;
}

// Rewards prose: commas, and length up to a cap.
double ParagraphScore(const TextMeasure& m) {
  return 1 + m.commas + std::min(m.units / kUnitsPerPoint, kMaxLengthPoints);
}

// What an element's kind says about it as a container of the article.
double TagScore(std::uint32_t t) {
  switch (t) {
    case kTag_div: case kTag_article: case kTag_section: case kTag_main: return 5;
    case kTag_pre: case kTag_td: case kTag_blockquote: return 3;
    case kTag_address: case kTag_ol: case kTag_ul: case kTag_dl: case kTag_dd: case kTag_dt:
    case kTag_li: case kTag_form: return -3;
    case kTag_h1: case kTag_h2: case kTag_h3: case kTag_h4: case kTag_h5: case kTag_h6:
    case kTag_th: return -5;
    default: return 0;
  }
}

// The share of a paragraph's score its ancestor `level` steps up receives.
double AncestorShare(int level) { return level == 0 ? 1.0 : level == 1 ? 0.5 : 1.0 / (level * 3); }

}  // namespace

Extractor::Extractor(const Document& doc)
    : d_(doc), n_(doc.Size()), ends_(SubtreeEnds(doc)), names_(ReadNames(doc)), texts_(MeasureTexts(doc)),
      notice_(size_t(n_), 0) {}

const ProseRun& Extractor::StrongestRun() {
  strongest_ = FindStrongestRun();
  return strongest_;
}

Choice Extractor::Run(const Rules& rules, int winner) {
  rules_ = rules;
  Choice choice;
  for (int look = 0; look <= kMaxNoticesPassed; ++look) {
    CleanTree();
    MeasureTree();
    ScoreCandidates();
    choice = Choice();
    choice.top = winner >= 0 ? winner : PickWinner();
    if (choice.top >= 0) {
      choice.roots = WidenBySiblings(choice.top);
      for (const int root : choice.roots) Tidy(root);
    }
    // Judged by what tidying kept: a block that holds the article and a
    // notice is no notice once the notice is tidied away.
    if (!IsRequestOrLegal(MeasureKept(choice))) break;
    // A consent bar or a footer is never an article, however it was chosen:
    // it is set aside for good, and the candidates outside it are scored
    // again, so that the article it outweighed can still win.
    choice.roots.clear();
    choice.units = choice.proseUnits = 0;
    if (winner >= 0 || choice.top <= Document::kRoot) break;
    notice_[size_t(choice.top)] = 1;
  }
  // The writer needs this try's flags, whichever try ran last.
  choice.dropped.resize(size_t(n_));
  for (int n = 0; n < n_; ++n) choice.dropped[size_t(n)] = Dropped(n) ? 1 : 0;
  return choice;
}

// What the writer will keep of the choice, not what its roots held before
// tidying: a choice tidied down to nothing counts as nothing, so that a
// later try or the fallback replaces it.
TextMeasure Extractor::MeasureKept(Choice& choice) const {
  TextMeasure kept;
  for (const int root : choice.roots) {
    for (int n = root; n < ends_[size_t(root)]; ++n) {
      if (Dropped(n)) {
        n = ends_[size_t(n)] - 1;
        continue;
      }
      if (d_.At(n).isText) {
        kept.Add(texts_[size_t(n)]);
      } else if (IsProse(block_[size_t(n)])) {
        choice.proseUnits += block_[size_t(n)].own.units;
      }
    }
  }
  choice.units = kept.units;
  return kept;
}

std::vector<bool> Extractor::HeadlineNames() const {
  std::vector<bool> headline(names_.size());
  for (size_t n = 0; n < names_.size(); ++n) headline[n] = (names_[n] & kHeadline) != 0;
  return headline;
}

std::vector<std::uint8_t> Extractor::ReadNames(const Document& d) {
  std::vector<std::uint8_t> flags(size_t(d.Size()), 0);
  std::string names;
  for (int n = 1; n < d.Size(); ++n) {
    if (d.At(n).isText || d.At(n).size == 0) continue;
    names.assign(d.Attribute(n, "class"));
    names += ' ';
    names += d.Attribute(n, "id");
    if (names.size() <= 1) continue;
    for (char& c : names) c = core::AsciiLower(c);
    flags[size_t(n)] = std::uint8_t((NamesMatch(names, kUnlikelyNames) ? kUnlikely : 0) |
                                    (NamesMatch(names, kMaybeNames) ? kMaybe : 0) |
                                    (NamesMatch(names, kNegativeNames) ? kNegative : 0) |
                                    (NamesMatch(names, kPositiveNames) ? kPositive : 0) |
                                    (NamesMatch(names, kTitleNames) ? kHeadline : 0) |
                                    (NamesMatch(names, kDiscussionNames) ? kDiscussion : 0));
  }
  return flags;
}

std::vector<TextMeasure> Extractor::MeasureTexts(const Document& d) {
  std::vector<TextMeasure> measures(size_t(d.Size()));
  std::string scratch;
  for (int n = 1; n < d.Size(); ++n) {
    // Script and style texts are never measured: they are never content.
    if (d.At(n).isText && !IsNeverContent(d.At(d.At(n).parent).tag)) {
      measures[size_t(n)] = MeasureWithCues(d.Text(n), scratch);
    }
  }
  return measures;
}

// The run is looked for whatever the names say, except inside readers'
// discussion, so that a block wrongly named like a share bar or a sidebar
// cannot hide the article from it. Hidden blocks count too: a page may
// serve its whole text in blocks a script shows later (to subscribers, on
// a click), and a paragraph wrapped alone in a block of its own counts
// toward the block that holds the wrappers.
ProseRun Extractor::FindStrongestRun() const {
  std::vector<std::uint8_t> out(size_t(n_), 0), inLink(size_t(n_), 0), hidden(size_t(n_), 0);
  std::vector<int> blockOf(size_t(n_), Document::kRoot);
  std::vector<Block> blocks(static_cast<size_t>(n_));
  for (int n = 1; n < n_; ++n) {
    const Node& node = d_.At(n);
    const int parent = node.parent;
    if (out[size_t(parent)]) {
      out[size_t(n)] = 1;
      continue;
    }
    inLink[size_t(n)] = inLink[size_t(parent)] || node.tag == kTag_a;
    hidden[size_t(n)] = hidden[size_t(parent)] || (!node.isText && IsHidden(n));
    if (!node.isText) {
      if (IsNeverContent(node.tag) || node.tag == kTag_footer || node.tag == kTag_aside ||
          (names_[size_t(n)] & kDiscussion) || notice_[size_t(n)]) {
        out[size_t(n)] = 1;
      }
      blockOf[size_t(n)] = IsBlock(node.tag) ? n : blockOf[size_t(parent)];
      continue;
    }
    Block& b = blocks[size_t(blockOf[size_t(parent)])];
    b.own.Add(texts_[size_t(n)]);
    if (inLink[size_t(n)]) b.ownLinkUnits += texts_[size_t(n)].units;
  }
  std::vector<TextMeasure> run(static_cast<size_t>(n_));
  std::vector<int> holder(static_cast<size_t>(n_), -1);
  for (int n = 1; n < n_; ++n) {
    const Block& b = blocks[size_t(n)];
    if (out[size_t(n)] || d_.At(n).isText || b.own.units < kMinParagraphUnits || b.ownLinkUnits * 2 > b.own.units) continue;
    int at = d_.At(n).parent;
    for (int level = 0; level < kWrapperLevels && at > Document::kRoot && HasOneChild(at); ++level) at = d_.At(at).parent;
    holder[size_t(n)] = at;
    run[size_t(at)].Add(blocks[size_t(n)].own);
  }
  // A consent text is written in long paragraphs, each with a cue or two;
  // together they read as what they are, and are no article to fall back
  // to, unless far longer than any notice.
  ProseRun strongest;
  for (int n = 0; n < n_; ++n) {
    const TextMeasure& r = run[size_t(n)];
    if (r.units > strongest.units && (r.units >= kLongestNoticeUnits || !IsRequestOrLegal(r))) {
      strongest.node = n;
      strongest.units = run[size_t(n)].units;
    }
  }
  for (int n = 1; n < n_ && strongest.node >= 0; ++n) {
    if (holder[size_t(n)] != strongest.node) continue;
    strongest.paragraphs.push_back(n);
    strongest.paragraphUnits.push_back(blocks[size_t(n)].own.units);
    if (hidden[size_t(n)]) strongest.hiddenUnits += blocks[size_t(n)].own.units;
  }
  return strongest;
}

// True when `n` holds one element or piece of text, blanks aside.
bool Extractor::HasOneChild(int n) const {
  int children = 0;
  for (int c = d_.At(n).firstChild; c >= 0 && children < 2; c = d_.At(c).nextSibling) {
    if (!d_.At(c).isText || texts_[size_t(c)].units > 0) ++children;
  }
  return children == 1;
}

// The strongest run's paragraphs as they stand, with only what is never
// text left out: the choice of last resort, when every try fell far short.
Choice Extractor::RunChoice() const {
  Choice choice;
  choice.top = strongest_.node;
  choice.roots = strongest_.paragraphs;
  choice.units = strongest_.units;
  choice.proseUnits = strongest_.units;
  choice.dropped.assign(size_t(n_), 0);
  for (int n = 1; n < n_; ++n) {
    if (choice.dropped[size_t(d_.At(n).parent)] || (!d_.At(n).isText && IsNeverContent(d_.At(n).tag))) choice.dropped[size_t(n)] = 1;
  }
  return choice;
}

// ---- Clean the tree ----

bool Extractor::IsHidden(int n) const {
  if (d_.HasAttribute(n, "hidden")) return true;
  const std::string_view style = d_.Attribute(n, "style");
  if (style.empty()) return false;
  std::string compact;
  for (const char c : style) {
    if (!IsAsciiBlank(c)) compact.push_back(core::AsciiLower(c));
  }
  return compact.find("display:none") != std::string::npos ||
         compact.find("visibility:hidden") != std::string::npos;
}

bool Extractor::IsUnlikelyCandidate(int n) const {
  const std::uint32_t t = d_.At(n).tag;
  if (t == kTag_a || t == kTag_article || t == kTag_main || t == kTag_table || t == kTag_tbody ||
      t == kTag_tr || t == kTag_td || t == kTag_p) {
    return false;
  }
  const std::uint8_t names = names_[size_t(n)];
  // Readers' discussion is never the article, even in a block whose name
  // also holds a word like "content" or "body" (comment-body).
  return ((names & kUnlikely) && !(names & kMaybe)) || (names & kDiscussion) || t == kTag_aside ||
         t == kTag_footer;
}

void Extractor::CleanTree() {
  skip_.assign(size_t(n_), 0);
  removed_.assign(size_t(n_), 0);
  for (int n = 1; n < n_; ++n) {
    const Node& node = d_.At(n);
    if (skip_[size_t(node.parent)]) {
      skip_[size_t(n)] = 1;
      continue;
    }
    if (node.isText) continue;
    if (IsNeverContent(node.tag) || IsHidden(n) || notice_[size_t(n)] ||
        (rules_.stripUnlikely && IsUnlikelyCandidate(n))) {
      skip_[size_t(n)] = 1;
    }
  }
}

// ---- Measure ----

void Extractor::MeasureTree() {
  block_.assign(size_t(n_), Block());
  sub_.assign(size_t(n_), Subtree());
  blockOf_.assign(size_t(n_), Document::kRoot);
  std::vector<std::uint8_t> inLink(size_t(n_), 0);
  for (int n = 1; n < n_; ++n) {
    if (skip_[size_t(n)]) continue;
    const Node& node = d_.At(n);
    const int parent = node.parent;
    inLink[size_t(n)] = inLink[size_t(parent)] || node.tag == kTag_a;
    if (!node.isText) {
      blockOf_[size_t(n)] = IsBlock(node.tag) ? n : blockOf_[size_t(parent)];
      if (IsBlock(node.tag)) block_[size_t(blockOf_[size_t(parent)])].hasBlockChild = true;
      continue;
    }
    const TextMeasure& m = texts_[size_t(n)];
    Block& b = block_[size_t(blockOf_[size_t(parent)])];
    b.own.Add(m);
    if (inLink[size_t(n)]) b.ownLinkUnits += m.units;
    Subtree& s = sub_[size_t(n)];
    s.units = m.units;
    s.commas = m.commas;
    s.stops = m.stops;
    s.requestCues = m.requestCues;
    s.legalCues = m.legalCues;
    if (inLink[size_t(n)]) s.linkUnits = m.units;
  }
  // Children come after their parents, so one backward pass sums subtrees.
  for (int n = n_ - 1; n >= 1; --n) {
    if (skip_[size_t(n)]) {
      // Form fields and embedded frames are never text, but their number
      // tells a sign-up box or a video player from prose.
      const std::uint32_t t = d_.At(n).tag;
      const int parent = d_.At(n).parent;
      if (skip_[size_t(parent)]) continue;
      if (t == kTag_input || t == kTag_select || t == kTag_textarea || t == kTag_button) ++sub_[size_t(parent)].inputs;
      if (t == kTag_embed || t == kTag_object || t == kTag_iframe) ++sub_[size_t(parent)].embeds;
      continue;
    }
    Subtree& s = sub_[size_t(n)];
    const std::uint32_t t = d_.At(n).tag;
    if (t == kTag_p) ++s.paragraphs;
    if (t == kTag_img) ++s.images;
    if (t == kTag_li) ++s.items;
    if (t == kTag_tr) ++s.rows;
    if (t == kTag_table) ++s.tables;
    if (IsHeading(t)) s.headingUnits = s.units;
    const Block& b = block_[size_t(n)];
    if (IsProse(b)) {
      ++s.prose;
      s.proseUnits += b.own.units;
    }
    Subtree& p = sub_[size_t(d_.At(n).parent)];
    p.units += s.units;
    p.linkUnits += s.linkUnits;
    p.commas += s.commas;
    p.stops += s.stops;
    p.requestCues += s.requestCues;
    p.legalCues += s.legalCues;
    p.paragraphs += s.paragraphs;
    p.images += s.images;
    p.items += s.items;
    p.rows += s.rows;
    p.tables += s.tables;
    p.inputs += s.inputs;
    p.embeds += s.embeds;
    p.headingUnits += s.headingUnits;
    p.prose += s.prose;
    p.proseUnits += s.proseUnits;
  }
}

// ---- Score ----

// A block's own text is a paragraph when long enough and not mostly links.
bool Extractor::IsProse(const Block& b) {
  return b.own.units >= kMinParagraphUnits && b.ownLinkUnits * 2 <= b.own.units && !IsRequestOrLegal(b.own);
}

// Consent bars and footers are written in sentences too; their phrases give them away.
bool IsRequestOrLegal(const TextMeasure& m) {
  return CuesDominate(m.requestCues + m.legalCues, m.units);
}

// The mean length of the paragraphs in `n`.
double Extractor::ParagraphLength(int n) const {
  const Subtree& s = sub_[size_t(n)];
  return s.prose == 0 ? 0.0 : double(s.proseUnits) / s.prose;
}

double Extractor::LinkDensity(int n) const {
  const Subtree& s = sub_[size_t(n)];
  return s.units == 0 ? 0.0 : double(s.linkUnits) / s.units;
}

// What the class and id names say.
double Extractor::ClassWeight(int n) const {
  if (!rules_.weighClasses) return 0;
  const std::uint8_t names = names_[size_t(n)];
  double weight = 0;
  if (names & kNegative) weight -= kClassWeight;
  if (names & kPositive) weight += kClassWeight;
  return weight;
}

// The root stands for the body too: html, head and body make no nodes,
// so text written straight into the body hangs under it.
void Extractor::AddScore(int n, double points) {
  if (n < Document::kRoot) return;
  if (!scored_[size_t(n)]) {
    scored_[size_t(n)] = 1;
    score_[size_t(n)] = TagScore(d_.At(n).tag) + ClassWeight(n);
    candidates_.push_back(n);
  }
  score_[size_t(n)] += points;
}

void Extractor::ScoreCandidates() {
  score_.assign(size_t(n_), 0);
  scored_.assign(size_t(n_), 0);
  candidates_.clear();
  for (int n = 1; n < n_; ++n) {
    if (skip_[size_t(n)] || d_.At(n).isText) continue;
    const Block& b = block_[size_t(n)];
    if (!IsProse(b)) continue;
    const double points = ParagraphScore(b.own);
    // A block with blocks inside holds its loose text as a paragraph of its own.
    int ancestor = b.hasBlockChild ? n : d_.At(n).parent;
    for (int level = 0; level < kAncestorLevels && ancestor >= Document::kRoot; ++level) {
      AddScore(ancestor, points * AncestorShare(level));
      ancestor = d_.At(ancestor).parent;
    }
  }
  for (const int c : candidates_) score_[size_t(c)] *= 1 - LinkDensity(c);
}

// ---- Pick and widen ----

bool Extractor::IsAncestor(int ancestor, int n) const {
  for (int p = d_.At(n).parent; p >= 0; p = d_.At(p).parent) {
    if (p == ancestor) return true;
  }
  return false;
}

int Extractor::PickWinner() {
  if (candidates_.empty()) return -1;
  std::vector<int> ranked = candidates_;
  const size_t keep = std::min<size_t>(kTopCandidates, ranked.size());
  std::partial_sort(ranked.begin(), ranked.begin() + long(keep), ranked.end(),
                    [&](int a, int b) { return score_[size_t(a)] > score_[size_t(b)]; });
  int top = ranked[0];
  const double topScore = score_[size_t(top)];
  // When several near-equal candidates share an ancestor, the article is
  // split over them: the ancestor holds it whole.
  std::vector<int> alternatives;
  for (size_t i = 1; i < keep; ++i) {
    if (score_[size_t(ranked[i])] >= topScore * kAlternativeShare) alternatives.push_back(ranked[i]);
  }
  if (int(alternatives.size()) >= kAlternativesNeeded) {
    for (int p = d_.At(top).parent; p > Document::kRoot; p = d_.At(p).parent) {
      int inside = 0;
      for (const int a : alternatives) inside += IsAncestor(p, a) ? 1 : 0;
      if (inside >= kAlternativesNeeded) {
        top = p;
        break;
      }
    }
  }
  // Climb while the parent scores better: the winner was one part of it.
  double lastScore = score_[size_t(top)];
  const double threshold = lastScore * kClimbShare;
  for (int p = d_.At(top).parent; p >= Document::kRoot; p = d_.At(p).parent) {
    if (!scored_[size_t(p)]) continue;
    if (score_[size_t(p)] < threshold) break;
    if (score_[size_t(p)] > lastScore) {
      top = p;
      break;
    }
    lastScore = score_[size_t(p)];
  }
  // An only child (blanks and dropped nodes aside) stands for its parent.
  for (int p = d_.At(top).parent; p > Document::kRoot && HasOnlyChild(p); p = d_.At(p).parent) top = p;
  return top;
}

bool Extractor::HasOnlyChild(int n) const {
  int children = 0;
  for (int c = d_.At(n).firstChild; c >= 0 && children < 2; c = d_.At(c).nextSibling) {
    if (skip_[size_t(c)]) continue;
    if (d_.At(c).isText && Measure(d_.Text(c)).units == 0) continue;
    ++children;
  }
  return children == 1;
}

bool Extractor::EndsSentence(int n) const {
  // The last non-blank byte of the block's text is a sentence end.
  for (int c = d_.At(n).lastChild; c >= 0;) {
    const Node& node = d_.At(c);
    if (node.isText) {
      const std::string_view t = d_.Text(c);
      size_t e = t.size();
      while (e > 0 && IsAsciiBlank(t[e - 1])) --e;
      if (e == 0) return false;
      return t[e - 1] == '.' || (e >= 2 && static_cast<unsigned char>(t[e - 2]) == 0xA1 &&
                                 static_cast<unsigned char>(t[e - 1]) == 0xA3);
    }
    c = node.lastChild;
  }
  return false;
}

std::vector<int> Extractor::WidenBySiblings(int top) {
  const int parent = d_.At(top).parent;
  if (parent < 0) return {top};
  const double threshold = std::max(kSiblingMinScore, score_[size_t(top)] * kSiblingShare);
  const std::string_view topClass = d_.Attribute(top, "class");
  std::vector<int> chosen;
  for (int s = d_.At(parent).firstChild; s >= 0; s = d_.At(s).nextSibling) {
    if (s == top) {
      chosen.push_back(s);
      continue;
    }
    // A consent request, a footer's or a platform's statement, or readers'
    // discussion beside the article never joins it.
    if (skip_[size_t(s)] || d_.At(s).isText || IsNeverArticle(s)) continue;
    double bonus = 0;
    if (!topClass.empty() && d_.Attribute(s, "class") == topClass) bonus = score_[size_t(top)] * kSameClassBonusShare;
    // A continuation of the article is written like it: a list of short
    // linked items beside it (replies, teasers) is not, however much it scores.
    const bool shortLinkedItems = ParagraphLength(s) < ParagraphLength(top) * kSiblingParagraphShare &&
                                  LinkDensity(s) > kSiblingItemLinkDensity;
    if (scored_[size_t(s)] && score_[size_t(s)] + bonus >= threshold && !shortLinkedItems) {
      chosen.push_back(s);
      continue;
    }
    const int tag = int(d_.At(s).tag);
    if (tag == kTag_p || !block_[size_t(s)].hasBlockChild) {
      const int units = sub_[size_t(s)].units;
      const double density = LinkDensity(s);
      if ((units > kSiblingLongUnits && density < kSiblingLongLinkDensity) ||
          (units > 0 && units <= kSiblingLongUnits && density == 0 && EndsSentence(s))) {
        chosen.push_back(s);
      }
    }
  }
  return chosen;
}

}  // namespace html::extraction
