// The phases run in order: clean the tree (mark what can never be article),
// measure every block's text, score the candidates, pick the winner and widen
// it by its siblings, tidy the chosen part, and write it out as paragraphs.
#include "html/extract.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "html/tree.h"

namespace html {
namespace {

// ---- Tuning -------------------------------------------------------------

// A Chinese character carries about as much as two letters of an English
// word, so lengths count it twice; the thresholds below are in these units.
constexpr int kWideCharUnits = 2;
constexpr int kMinParagraphUnits = 25;     // shorter texts score nothing
constexpr int kUnitsPerPoint = 100;        // one point per this much text...
constexpr int kMaxLengthPoints = 3;        // ...up to this many
constexpr int kAncestorLevels = 5;         // how far a paragraph's score spreads up
constexpr double kClassWeight = 25;
constexpr double kSiblingShare = 0.2;      // a sibling joins at this share of the top score
constexpr double kSiblingMinScore = 10;
constexpr int kSiblingLongUnits = 80;
constexpr double kSiblingParagraphShare = 0.5;  // of the winner's mean paragraph length
constexpr double kSiblingItemLinkDensity = 0.1;
constexpr double kAlternativeShare = 0.75;
constexpr int kAlternativesNeeded = 3;
constexpr int kMinArticleUnits = 500;      // a shorter result is retried with fewer rules
constexpr int kFewCommas = 10;             // blocks with fewer are checked when tidying
constexpr int kDataTableRows = 3;
constexpr double kDataTableLinkDensity = 0.1;

// Tell-tale words in class and id names (parts of words match too), in
// English and in the pinyin that Chinese sites also name their blocks in.
constexpr std::string_view kUnlikelyNames[] = {
    "-ad-", "banner", "breadcrumb", "combx", "comment", "community", "disqus", "extra", "foot",
    "header", "legends", "menu", "related", "remark", "replies", "reply", "rss", "shoutbox",
    "sidebar", "skyscraper", "social", "sponsor", "supplemental", "ad-break", "agegate",
    "pagination", "pager", "popup", "share", "recommend", "copyright", "login", "nav", "toolbar",
    "hot-list", "hotnews", "ranking", "tags", "byline-social", "tuijian", "xiangguan", "pinglun",
    "fenxiang", "daohang", "guanggao", "remen", "paihang"};
constexpr std::string_view kMaybeNames[] = {"and", "article", "body", "column", "content", "main",
                                       "shadow", "text", "detail", "post", "entry", "zhengwen", "neirong",
                                       "wenzhang"};
constexpr std::string_view kPositiveNames[] = {"article", "body", "content", "entry", "hentry", "h-entry",
                                          "main", "page", "pagination", "post", "text", "blog",
                                          "story", "detail", "zhengwen", "neirong", "wenzhang", "cont"};
constexpr std::string_view kNegativeNames[] = {
    "-ad-", "hidden", "banner", "combx", "comment", "com-", "contact", "foot", "footer",
    "footnote", "gdpr", "masthead", "media", "meta", "outbrain", "promo", "related", "scroll",
    "share", "shoutbox", "sidebar", "skyscraper", "sponsor", "shopping", "tags", "tool", "widget",
    "recommend", "copyright", "nav", "menu", "rank", "login", "reply", "tuijian", "xiangguan",
    "pinglun", "fenxiang", "daohang", "guanggao", "remen", "paihang", "banquan", "side"};
// Class and id words of the element that holds a page's headline.
constexpr std::string_view kTitleNames[] = {"title", "headline", "heading", "biaoti"};
// Names that mark an image source as a stand-in until a script loads the real one.
constexpr std::string_view kPlaceholderNames[] = {"blank", "placeholder", "loading", "lazy", "spacer",
                                             "grey.gif", "pixel", "transparent"};
constexpr const char* kLazySourceAttributes[] = {"data-src", "data-original", "data-lazy-src",
                                                 "data-actualsrc", "data-url", "original", "file"};

// ---- Text measures ------------------------------------------------------

struct TextMeasure {
  int units = 0;    // ASCII non-blanks once, double-byte characters kWideCharUnits times
  int commas = 0;   // ',' and the Chinese commas
  int stops = 0;    // sentence ends: . ! ? and their Chinese forms
};

bool IsAsciiBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

TextMeasure Measure(std::string_view text) {
  TextMeasure m;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (core::CharLengthAt(text, i) == 2) {
      const unsigned char d = static_cast<unsigned char>(text[i + 1]);
      ++i;
      if (c == 0xA1 && d == 0xA1) continue;  // the full-width blank
      m.units += kWideCharUnits;
      if ((c == 0xA3 && d == 0xAC) || (c == 0xA1 && d == 0xA2)) ++m.commas;  // ， 、
      if ((c == 0xA1 && d == 0xA3) || (c == 0xA3 && (d == 0xA1 || d == 0xBF || d == 0xBB))) ++m.stops;  // 。！？；
    } else if (!IsAsciiBlank(char(c))) {
      ++m.units;
      if (c == ',') ++m.commas;
      if (c == '.' || c == '!' || c == '?' || c == ';') ++m.stops;
    }
  }
  return m;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = core::AsciiLower(c);
  return out;
}

// True when one of the lower-case words of `list` is part of the lower-case `names`.
template <size_t N>
bool NamesMatch(std::string_view names, const std::string_view (&list)[N]) {
  for (const std::string_view word : list) {
    if (names.find(word) != std::string_view::npos) return true;
  }
  return false;
}

bool IsBlock(std::uint32_t t) {
  switch (t) {
    case kTag_p: case kTag_div: case kTag_td: case kTag_th: case kTag_li: case kTag_pre:
    case kTag_blockquote: case kTag_h1: case kTag_h2: case kTag_h3: case kTag_h4: case kTag_h5:
    case kTag_h6: case kTag_section: case kTag_article: case kTag_dd: case kTag_dt: case kTag_table:
    case kTag_tbody: case kTag_thead: case kTag_tfoot: case kTag_tr: case kTag_ul: case kTag_ol:
    case kTag_dl: case kTag_form: case kTag_header: case kTag_footer: case kTag_main: case kTag_aside:
    case kTag_nav: case kTag_figure: case kTag_figcaption: case kTag_center: case kTag_address:
    case kTag_fieldset: case kTag_details: case kTag_summary: case kTag_hr: case kTag_caption:
    case kTag_menu: case kTag_dir:
      return true;
    default:
      return false;
  }
}

bool IsHeading(std::uint32_t t) { return t >= kTag_h1 && t <= kTag_h6; }

// Elements whose contents are never article text.
bool IsNeverContent(std::uint32_t t) {
  switch (t) {
    case kTag_script: case kTag_style: case kTag_noscript: case kTag_iframe: case kTag_title:
    case kTag_meta: case kTag_link: case kTag_select: case kTag_option: case kTag_button:
    case kTag_input: case kTag_textarea: case kTag_svg: case kTag_canvas: case kTag_template:
    case kTag_object: case kTag_embed: case kTag_nav: case kTag_map: case kTag_head:
    case kTag_frameset: case kTag_frame: case kTag_applet: case kTag_dialog:
      return true;
    default:
      return false;
  }
}

// ---- The page's measured tree -------------------------------------------

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

struct Block {
  TextMeasure own;       // text not inside a nested block
  int ownLinkUnits = 0;
  bool hasBlockChild = false;
};

struct Subtree {
  int units = 0;
  int prose = 0;        // paragraphs long enough to score, and their length
  int proseUnits = 0;
  int linkUnits = 0;
  int commas = 0;
  int stops = 0;
  int paragraphs = 0;
  int images = 0;
  int items = 0;    // li
  int rows = 0;     // tr
  int tables = 0;
  int inputs = 0;
  int embeds = 0;
  int headingUnits = 0;
};

struct Rules {
  bool stripUnlikely = true;
  bool weighClasses = true;
  bool tidy = true;
};

class Extractor {
 public:
  explicit Extractor(const Document& doc)
      : d_(doc), n_(doc.Size()), ends_(SubtreeEnds(doc)), names_(ReadNames(doc)), texts_(MeasureTexts(doc)) {}

  // The chosen nodes (siblings in document order) under `rules`.
  std::vector<int> Run(const Rules& rules) {
    rules_ = rules;
    CleanTree();
    MeasureTree();
    ScoreCandidates();
    const int top = PickWinner();
    top_ = top;
    if (top < 0) return {};
    std::vector<int> chosen = WidenBySiblings(top);
    if (rules_.tidy) {
      for (const int c : chosen) Tidy(c);
    }
    return chosen;
  }

  int ChosenUnits(const std::vector<int>& chosen) const {
    int units = 0;
    for (const int c : chosen) units += sub_[size_t(c)].units;
    return units;
  }

  // The winner of the last run, or -1.
  int Top() const { return top_; }
  // True when node `inner` lies in the subtree of `outer`.
  bool Contains(int outer, int inner) const { return outer >= 0 && inner >= outer && inner < ends_[size_t(outer)]; }

  bool Dropped(int n) const { return skip_[size_t(n)] || removed_[size_t(n)]; }

 private:
  // What the class and id names of every element say, read once per page.
  enum NameFlag : std::uint8_t { kUnlikely = 1, kMaybe = 2, kNegative = 4, kPositive = 8, kHeadline = 16 };
  static std::vector<std::uint8_t> ReadNames(const Document& d) {
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
                                      (NamesMatch(names, kTitleNames) ? kHeadline : 0));
    }
    return flags;
  }

  static std::vector<TextMeasure> MeasureTexts(const Document& d) {
    std::vector<TextMeasure> measures(size_t(d.Size()));
    for (int n = 1; n < d.Size(); ++n) {
      // Script and style texts are never measured: they are never content.
      if (d.At(n).isText && !IsNeverContent(d.At(d.At(n).parent).tag)) measures[size_t(n)] = Measure(d.Text(n));
    }
    return measures;
  }

  // -- clean the tree --

  bool IsHidden(int n) const {
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

  bool IsUnlikelyCandidate(int n) const {
    const std::uint32_t t = d_.At(n).tag;
    if (t == kTag_a || t == kTag_article || t == kTag_main || t == kTag_table || t == kTag_tbody ||
        t == kTag_tr || t == kTag_td || t == kTag_p) {
      return false;
    }
    const std::uint8_t names = names_[size_t(n)];
    return ((names & kUnlikely) && !(names & kMaybe)) || t == kTag_aside || t == kTag_footer;
  }

  void CleanTree() {
    skip_.assign(size_t(n_), 0);
    removed_.assign(size_t(n_), 0);
    for (int n = 1; n < n_; ++n) {
      const Node& node = d_.At(n);
      if (skip_[size_t(node.parent)]) {
        skip_[size_t(n)] = 1;
        continue;
      }
      if (node.isText) continue;
      if (IsNeverContent(node.tag) || IsHidden(n) || (rules_.stripUnlikely && IsUnlikelyCandidate(n))) {
        skip_[size_t(n)] = 1;
      }
    }
  }

  // -- measure --

  void MeasureTree() {
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
      b.own.units += m.units;
      b.own.commas += m.commas;
      b.own.stops += m.stops;
      if (inLink[size_t(n)]) b.ownLinkUnits += m.units;
      Subtree& s = sub_[size_t(n)];
      s.units = m.units;
      s.commas = m.commas;
      s.stops = m.stops;
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

  // -- score --

  // A block's own text is a paragraph when long enough and not mostly links.
  static bool IsProse(const Block& b) {
    return b.own.units >= kMinParagraphUnits && b.ownLinkUnits * 2 <= b.own.units;
  }

  // The mean length of the paragraphs in `n`.
  double ParagraphLength(int n) const {
    const Subtree& s = sub_[size_t(n)];
    return s.prose == 0 ? 0.0 : double(s.proseUnits) / s.prose;
  }

  double LinkDensity(int n) const {
    const Subtree& s = sub_[size_t(n)];
    return s.units == 0 ? 0.0 : double(s.linkUnits) / s.units;
  }

  // Rewards prose: commas, and length up to a cap.
  static double ParagraphScore(const TextMeasure& m) {
    return 1 + m.commas + std::min(m.units / kUnitsPerPoint, kMaxLengthPoints);
  }

  // What an element's kind says about it as a container of the article.
  static double TagScore(std::uint32_t t) {
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

  // What the class and id names say.
  double ClassWeight(int n) const {
    if (!rules_.weighClasses) return 0;
    const std::uint8_t names = names_[size_t(n)];
    double weight = 0;
    if (names & kNegative) weight -= kClassWeight;
    if (names & kPositive) weight += kClassWeight;
    return weight;
  }

  // The share of a paragraph's score its ancestor `level` steps up receives.
  static double AncestorShare(int level) { return level == 0 ? 1.0 : level == 1 ? 0.5 : 1.0 / (level * 3); }

  // The root stands for the body too: html, head and body make no nodes,
  // so text written straight into the body hangs under it.
  void AddScore(int n, double points) {
    if (n < Document::kRoot) return;
    if (!scored_[size_t(n)]) {
      scored_[size_t(n)] = 1;
      score_[size_t(n)] = TagScore(d_.At(n).tag) + ClassWeight(n);
      candidates_.push_back(n);
    }
    score_[size_t(n)] += points;
  }

  void ScoreCandidates() {
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

  // -- pick and widen --

  bool IsAncestor(int ancestor, int n) const {
    for (int p = d_.At(n).parent; p >= 0; p = d_.At(p).parent) {
      if (p == ancestor) return true;
    }
    return false;
  }

  int PickWinner() {
    if (candidates_.empty()) return -1;
    std::vector<int> ranked = candidates_;
    const size_t keep = std::min<size_t>(5, ranked.size());
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
    const double threshold = lastScore / 3;
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

  bool HasOnlyChild(int n) const {
    int children = 0;
    for (int c = d_.At(n).firstChild; c >= 0 && children < 2; c = d_.At(c).nextSibling) {
      if (skip_[size_t(c)]) continue;
      if (d_.At(c).isText && Measure(d_.Text(c)).units == 0) continue;
      ++children;
    }
    return children == 1;
  }

  bool EndsSentence(int n) const {
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

  std::vector<int> WidenBySiblings(int top) {
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
      if (skip_[size_t(s)] || d_.At(s).isText) continue;
      double bonus = 0;
      if (!topClass.empty() && d_.Attribute(s, "class") == topClass) bonus = score_[size_t(top)] * 0.2;
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
        if ((units > kSiblingLongUnits && density < 0.25) ||
            (units > 0 && units <= kSiblingLongUnits && density == 0 && EndsSentence(s))) {
          chosen.push_back(s);
        }
      }
    }
    return chosen;
  }

  // -- tidy --

  bool ShouldRemove(int n) const {
    const std::uint32_t t = d_.At(n).tag;
    const Subtree& s = sub_[size_t(n)];
    const double weight = ClassWeight(n);
    const double score = scored_[size_t(n)] ? score_[size_t(n)] : 0;
    if (IsHeading(t)) return weight < 0 || LinkDensity(n) > 0.33;
    if (!(t == kTag_div || t == kTag_table || t == kTag_ul || t == kTag_ol || t == kTag_form ||
          t == kTag_section || t == kTag_fieldset || t == kTag_dl || t == kTag_header || t == kTag_footer)) {
      return false;
    }
    if (weight + score < 0) return true;
    if (s.commas >= kFewCommas) return false;
    const bool isList = t == kTag_ul || t == kTag_ol;
    const double linkDensity = LinkDensity(n);
    const int paragraphs = s.paragraphs;
    const int contentUnits = s.units;
    if (s.images > 1 && paragraphs * 2 < s.images && s.units > 0) return false;  // a gallery stays
    if (!isList && s.items > paragraphs + 1 && linkDensity > 0.1) return true;
    if (s.inputs > paragraphs / 3) return true;
    if (!isList && contentUnits < kMinParagraphUnits && s.images == 0 && s.headingUnits * 10 < contentUnits * 9) {
      return true;
    }
    if (weight < kClassWeight && linkDensity > 0.2 + (s.stops > 3 ? 0.15 : 0)) return true;
    if (weight >= kClassWeight && linkDensity > 0.5) return true;
    if ((s.embeds == 1 && contentUnits < 75) || s.embeds > 1) return true;
    return false;
  }

  bool IsDataTable(int n) const {
    const Subtree& s = sub_[size_t(n)];
    return d_.At(n).tag == kTag_table && s.tables == 1 && s.rows >= kDataTableRows &&
           LinkDensity(n) < kDataTableLinkDensity && !ShouldRemove(n);
  }

  void Tidy(int root) {
    if (IsDataTable(root)) return;
    // Outer elements first: a removed one takes its subtree with it.
    const int end = SubtreeEnd(root);
    for (int n = root + 1; n < end; ++n) {
      if (Dropped(n)) continue;
      if (removed_[size_t(d_.At(n).parent)]) {
        removed_[size_t(n)] = 1;
        continue;
      }
      // A table of data (rows of cells, no tables inside, few links) is
      // kept whole: its short cells are the data, not clutter.
      if (IsDataTable(n)) {
        n = ends_[size_t(n)] - 1;
        continue;
      }
      if (!d_.At(n).isText && ShouldRemove(n)) removed_[size_t(n)] = 1;
    }
  }

 public:
  int SubtreeEnd(int n) const { return ends_[size_t(n)]; }
  const std::vector<int>& Ends() const { return ends_; }
  // Which elements have a class or id that names a headline.
  std::vector<bool> HeadlineNames() const {
    std::vector<bool> headline(names_.size());
    for (size_t n = 0; n < names_.size(); ++n) headline[n] = (names_[n] & kHeadline) != 0;
    return headline;
  }

 private:
  const Document& d_;
  const int n_;
  const std::vector<int> ends_;
  Rules rules_;
  int top_ = -1;
  std::vector<std::uint8_t> skip_, removed_, scored_;
  std::vector<Block> block_;
  std::vector<Subtree> sub_;
  std::vector<int> blockOf_;
  std::vector<double> score_;
  std::vector<int> candidates_;
  const std::vector<std::uint8_t> names_;
  const std::vector<TextMeasure> texts_;
};

// ---- Writing the result -------------------------------------------------

bool IsPlaceholderSource(std::string_view src) {
  if (src.empty() || src.rfind("data:", 0) == 0) return true;
  return NamesMatch(Lower(src), kPlaceholderNames);
}

std::string_view ImageSource(const Document& d, int n) {
  const std::string_view src = d.Attribute(n, "src");
  if (!IsPlaceholderSource(src)) return src;
  for (const char* name : kLazySourceAttributes) {
    const std::string_view lazy = d.Attribute(n, name);
    if (!lazy.empty() && lazy.rfind("data:", 0) != 0) return lazy;
  }
  return src.rfind("data:", 0) == 0 ? std::string_view() : src;
}

class ParagraphWriter {
 public:
  explicit ParagraphWriter(std::string& out) : out_(out) {}

  void Text(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (IsAsciiBlank(c)) {
        pendingBlank_ = !line_.empty();
        continue;
      }
      if (pendingBlank_) line_.push_back(' ');
      pendingBlank_ = false;
      if (core::CharLengthAt(text, i) == 2) {
        line_.push_back(c);
        line_.push_back(text[++i]);
      } else if (c == '<') {
        line_ += "&lt;";
      } else if (c == '&' && i + 1 < text.size() && (std::isalpha(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '#')) {
        line_ += "&amp;";
      } else {
        line_.push_back(c);
      }
    }
  }

  void Break() {
    pendingBlank_ = false;
    if (line_.empty()) return;
    out_ += "<p>";
    out_ += line_;
    out_ += "</p>";
    line_.clear();
  }

  void Image(std::string_view src) {
    if (src.empty()) return;
    Break();
    out_ += "<p><img src=\"";
    for (const char c : src) {
      if (c == '"') {
        out_ += "%22";
      } else if (c != '\r' && c != '\n') {
        out_.push_back(c);
      }
    }
    out_ += "\"></p>";
  }

 private:
  std::string& out_;
  std::string line_;
  bool pendingBlank_ = false;
};

std::string WriteBody(const Document& d, const Extractor& x, const std::vector<int>& chosen) {
  std::string out;
  ParagraphWriter writer(out);
  for (const int root : chosen) {
    const int end = x.SubtreeEnd(root);
    // A preorder walk by index; leaving a block ends its paragraph.
    std::vector<int> openBlocks;
    for (int n = root; n < end; ++n) {
      while (!openBlocks.empty() && x.SubtreeEnd(openBlocks.back()) <= n) {
        openBlocks.pop_back();
        writer.Break();
      }
      if (x.Dropped(n)) {
        n = x.SubtreeEnd(n) - 1;
        continue;
      }
      const Node& node = d.At(n);
      if (node.isText) {
        writer.Text(d.Text(n));
        continue;
      }
      if (node.tag == kTag_br || node.tag == kTag_hr) writer.Break();
      if (node.tag == kTag_img) writer.Image(ImageSource(d, n));
      if (IsBlock(node.tag)) {
        writer.Break();
        openBlocks.push_back(n);
      }
    }
    writer.Break();
  }
  return out;
}


// ---- The title ----------------------------------------------------------

constexpr size_t kMaxTitleBytes = 400;
constexpr double kMinTitleAgreement = 0.5;

// The text of `n`'s subtree with blanks collapsed and trimmed.
std::string CollapsedText(const Document& d, const std::vector<int>& ends, int n, int end) {
  std::string out;
  bool blank = false;
  for (int c = n; c < end; ++c) {
    if (!d.At(c).isText) {
      if (IsNeverContent(d.At(c).tag)) c = ends[size_t(c)] - 1;
      continue;
    }
    for (const char ch : d.Text(c)) {
      if (IsAsciiBlank(ch)) {
        blank = !out.empty();
        continue;
      }
      if (blank) out.push_back(' ');
      blank = false;
      out.push_back(ch);
      if (out.size() > kMaxTitleBytes) return out;
    }
  }
  return out;
}

// The parts of a title between separators of one kind: '|', '_', or a dash
// (spaced, or next to a Chinese character, so "Covid-19" stays whole).
std::vector<std::string> TitleParts(const std::string& title, int kind) {
  std::vector<std::string> parts(1);
  bool prevWide = false;
  for (size_t i = 0; i < title.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(title[i]);
    if (core::CharLengthAt(title, i) == 2) {
      parts.back() += title.substr(i, 2);
      ++i;
      prevWide = true;
      continue;
    }
    const bool spaced = i > 0 && i + 1 < title.size() && title[i - 1] == ' ' && title[i + 1] == ' ';
    const bool nextToWide = prevWide || (i + 1 < title.size() && static_cast<unsigned char>(title[i + 1]) >= 0x81);
    prevWide = false;
    if ((kind == 0 && c == '|') || (kind == 1 && c == '_') || (kind == 2 && c == '-' && (spaced || nextToWide))) {
      parts.emplace_back();
      continue;
    }
    parts.back().push_back(char(c));
  }
  return parts;
}

// The title without the site's name: the longest part between separators of
// the strongest kind it holds.
std::string WithoutSiteName(const std::string& title) {
  std::vector<std::string> parts;
  for (int kind = 0; kind < 3 && parts.size() < 2; ++kind) parts = TitleParts(title, kind);
  std::string best;
  int bestUnits = -1;
  for (std::string& part : parts) {
    while (!part.empty() && part.back() == ' ') part.pop_back();
    while (!part.empty() && part.front() == ' ') part.erase(0, 1);
    const int units = Measure(part).units;
    if (units > bestUnits) {
      best = part;
      bestUnits = units;
    }
  }
  return best;
}

std::string WithoutBlanks(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (!IsAsciiBlank(c)) out.push_back(c);
  }
  return out;
}

// How well a headline and a title agree: the share of the longer that the
// shorter covers when one holds the other, else 0.
double Agreement(const std::string& heading, const std::string& title) {
  const std::string h = WithoutBlanks(heading);
  const std::string t = WithoutBlanks(title);
  if (h.empty() || t.empty()) return 0;
  if (t.find(h) == std::string::npos && h.find(t) == std::string::npos) return 0;
  return double(std::min(h.size(), t.size())) / double(std::max(h.size(), t.size()));
}

std::string FindTitle(const Document& d, const std::vector<int>& ends, const std::vector<bool>& headlineNames) {
  std::string title;
  std::string ogTitle;
  std::vector<std::string> headings;  // h1 first, then h2 and headline classes
  std::vector<std::string> others;
  const int n = d.Size();
  for (int i = 1; i < n; ++i) {
    const Node& node = d.At(i);
    if (node.isText) continue;
    if (node.tag == kTag_title && title.empty()) {
      title = CollapsedText(d, ends, i + 1, ends[size_t(i)]);
    } else if (node.tag == kTag_meta) {
      const std::string_view property = d.Attribute(i, "property");
      if ((property == "og:title" || d.Attribute(i, "name") == "og:title") && ogTitle.empty()) {
        ogTitle = std::string(d.Attribute(i, "content"));
      }
    } else if (node.tag == kTag_h1 || node.tag == kTag_h2) {
      std::string text = CollapsedText(d, ends, i + 1, ends[size_t(i)]);
      if (Measure(text).units >= 4) (node.tag == kTag_h1 ? headings : others).push_back(text);
    } else if (IsBlock(node.tag) || node.tag == kTag_span) {
      if (headlineNames[size_t(i)]) {
        std::string text = CollapsedText(d, ends, i + 1, ends[size_t(i)]);
        const int units = Measure(text).units;
        if (units >= 4 && units <= 200) others.push_back(text);
      }
    }
  }
  headings.insert(headings.end(), others.begin(), others.end());
  // The headline that agrees best with the title without its site name, the
  // whole title or og:title; an h1 wins a tie.
  const std::string references[] = {WithoutSiteName(title), title, WithoutSiteName(ogTitle)};
  std::string best;
  double bestAgreement = kMinTitleAgreement;
  for (const std::string& h : headings) {
    for (const std::string& r : references) {
      const double agreement = Agreement(h, r);
      if (agreement > bestAgreement) {
        best = h;
        bestAgreement = agreement;
      }
    }
  }
  if (!best.empty()) return best;
  if (!ogTitle.empty()) return WithoutSiteName(ogTitle);
  if (!title.empty()) return WithoutSiteName(title);
  if (!headings.empty()) return headings.front();
  return std::string();
}

}  // namespace

Extracted ExtractArticle(const core::Text& page) {
  const Document doc = ParseDocument(page);
  Extractor extractor(doc);
  // Fewer rules on a second and third try when the first found too little;
  // a later try counts only where its winner holds the earlier winner (or
  // the earlier found next to nothing), so a comment section that the first
  // try left out cannot take the article's place.
  const Rules attempts[] = {{true, true, true}, {false, true, true}, {false, false, false}};
  std::vector<int> best;
  int bestUnits = -1;
  int bestTop = -1;
  int bestAttempt = 0;
  int lastAttempt = 0;
  for (int i = 0; i < 3; ++i) {
    lastAttempt = i;
    std::vector<int> chosen = extractor.Run(attempts[i]);
    const int units = extractor.ChosenUnits(chosen);
    const bool widens = bestUnits < kMinParagraphUnits * 4 || extractor.Contains(extractor.Top(), bestTop);
    if (units > bestUnits && widens) {
      best = chosen;
      bestTop = extractor.Top();
      bestUnits = units;
      bestAttempt = i;
    }
    if (bestUnits >= kMinArticleUnits) break;
  }
  Extracted result;
  if (best.empty()) return result;
  result.title = FindTitle(doc, extractor.Ends(), extractor.HeadlineNames());
  if (bestAttempt != lastAttempt) extractor.Run(attempts[bestAttempt]);
  result.body = WriteBody(doc, extractor, best);
  return result;
}

}  // namespace html
