// Tidying the chosen part: each removal rule is a small function over what
// the measuring phase knows of a block; a block goes when one of them says
// it is clutter and none of the keeping rules says it is content.
#include <cctype>
#include <cstdint>
#include <string>

#include "core/text.h"

#include "html/extract_score.h"
#include "html/extract_tuning.h"

namespace html::extraction {
namespace {

// The containers the rules judge; paragraphs, cells and inline elements stay.
bool IsJudgedKind(std::uint32_t t) {
  return t == kTag_div || t == kTag_table || t == kTag_ul || t == kTag_ol || t == kTag_form ||
         t == kTag_section || t == kTag_fieldset || t == kTag_dl || t == kTag_header || t == kTag_footer;
}

// -- keeping rules --

// Many commas: sentences of prose, whatever else the block holds.
bool IsCommaRichProse(const Facts& f) { return f.s.commas >= kFewCommas; }

// More pictures than twice the paragraphs, with captions: a gallery.
bool IsGallery(const Facts& f) { return f.s.images > 1 && f.s.paragraphs * 2 < f.s.images && f.s.units > 0; }

// -- removal rules --

// A consent or sign-up request, or a footer's rights and addresses.
bool IsRequestOrFooter(const Facts& f) {
  return IsRequestOrLegal({f.s.units, f.s.commas, f.s.stops, f.s.requestCues, f.s.legalCues});
}

// A heading named like clutter, or mostly a link (a teaser for another page).
bool IsClutterHeading(const Facts& f) { return f.weight < 0 || f.linkDensity > kHeadingMaxLinkDensity; }

// Its names count against it more than its prose counts for it.
bool IsNamedAway(const Facts& f) { return f.weight + f.score < 0; }

// More list items than paragraphs, with links: a list of links that is not
// marked up as a list.
bool IsLinkList(const Facts& f) {
  return !f.IsList() && f.s.items > f.s.paragraphs + 1 && f.linkDensity > kItemListLinkDensity;
}

// Form fields against few paragraphs: a sign-up or search box.
bool IsForm(const Facts& f) { return f.s.inputs > f.s.paragraphs / kParagraphsPerInput; }

// Too little text to stand alone, no picture, and not a subheading's wrapper.
bool IsTooShortToStand(const Facts& f) {
  return !f.IsList() && f.s.units < kMinParagraphUnits && f.s.images == 0 &&
         f.s.headingUnits < f.s.units * kHeadingShare;
}

// Links above the share its names and sentences allow: navigation.
bool IsMostlyLinks(const Facts& f) {
  if (f.weight >= kClassWeight) return f.linkDensity > kNamedMaxLinkDensity;
  const double allowance = f.s.stops > kSentencesForAllowance ? kSentencesLinkAllowance : 0;
  return f.linkDensity > kMaxLinkDensity + allowance;
}

// An embedded player with little text around it, or several players.
bool IsEmbeddedPlayer(const Facts& f) {
  return (f.s.embeds == 1 && f.s.units < kEmbedCaptionUnits) || f.s.embeds > 1;
}

}  // namespace

Facts Extractor::FactsOf(int n) const {
  return {d_.At(n).tag, sub_[size_t(n)], ClassWeight(n), scored_[size_t(n)] ? score_[size_t(n)] : 0,
          LinkDensity(n), (names_[size_t(n)] & kDiscussion) != 0};
}

// What never belongs in an article, on every try: these rules guard the
// choice rather than tidy it.
bool Extractor::IsNeverArticle(int n) const {
  const Facts f = FactsOf(n);
  return IsBlock(f.tag) && (f.discussion || IsRequestOrFooter(f));
}

bool Extractor::IsClutter(int n) const {
  const Facts f = FactsOf(n);
  if (IsHeading(f.tag)) return IsClutterHeading(f);
  if (!IsJudgedKind(f.tag)) return false;
  if (IsNamedAway(f)) return true;
  if (IsCommaRichProse(f) || IsGallery(f)) return false;
  return IsLinkList(f) || IsForm(f) || IsTooShortToStand(f) || IsMostlyLinks(f) || IsEmbeddedPlayer(f);
}

// A table of data (rows of cells, no tables inside, few links) is kept
// whole: its short cells are the data, not clutter.
bool Extractor::IsDataTable(int n) const {
  const Subtree& s = sub_[size_t(n)];
  return d_.At(n).tag == kTag_table && s.tables == 1 && s.rows >= kDataTableRows &&
         LinkDensity(n) < kDataTableLinkDensity && !IsClutter(n);
}

// The letters of a short block's text, lower-case, and its double-byte
// characters; digits, blanks and punctuation left out.
std::string Extractor::Letters(int n) const {
  std::string out;
  for (int c = n; c < ends_[size_t(n)]; ++c) {
    if (!d_.At(c).isText) continue;
    const std::string_view text = d_.Text(c);
    for (size_t i = 0; i < text.size(); ++i) {
      if (const size_t length = core::CharLengthAt(text, i); length > 1) {
        out.append(text.substr(i, length));
        i += length - 1;
      } else if (std::isalpha(static_cast<unsigned char>(text[i]))) {
        out.push_back(core::AsciiLower(text[i]));
      }
    }
  }
  return out;
}

// The first block in `root` that is a heading of readers' discussion, not a
// link, with enough prose before it, or -1.
int Extractor::DiscussionStart(int root) const {
  int proseBefore = 0;
  for (int n = root + 1; n < ends_[size_t(root)]; ++n) {
    if (Dropped(n)) {
      n = ends_[size_t(n)] - 1;
      continue;
    }
    if (d_.At(n).isText) continue;
    if (IsProse(block_[size_t(n)])) proseBefore += block_[size_t(n)].own.units;
    const Subtree& s = sub_[size_t(n)];
    // (A link reading "comments" is a toolbar's, not a heading.)
    if (!IsBlock(d_.At(n).tag) || s.units == 0 || s.units > kMaxDiscussionHeadingUnits || s.linkUnits > 0) continue;
    if (proseBefore < kProseBeforeDiscussion) continue;
    const std::string letters = Letters(n);
    for (const std::string_view heading : kDiscussionHeadings) {
      if (letters == heading) return n;
    }
  }
  return -1;
}

void Extractor::Tidy(int root) {
  // Readers' discussion after the article goes whole, however it is named.
  const int discussion = DiscussionStart(root);
  if (discussion >= 0) {
    for (int n = discussion; n < ends_[size_t(root)]; ++n) removed_[size_t(n)] = 1;
  }
  if (rules_.tidy && IsDataTable(root)) return;
  // Outer elements first: a removed one takes its subtree with it.
  const int end = ends_[size_t(root)];
  for (int n = root + 1; n < end; ++n) {
    if (Dropped(n)) continue;
    if (removed_[size_t(d_.At(n).parent)]) {
      removed_[size_t(n)] = 1;
      continue;
    }
    if (d_.At(n).isText) continue;
    if (IsNeverArticle(n)) {
      removed_[size_t(n)] = 1;
      continue;
    }
    if (!rules_.tidy) continue;
    if (IsDataTable(n)) {
      n = ends_[size_t(n)] - 1;
      continue;
    }
    if (IsClutter(n)) removed_[size_t(n)] = 1;
  }
}

}  // namespace html::extraction
