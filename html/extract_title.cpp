#include "html/extract_title.h"

#include <algorithm>
#include <string_view>

#include "core/text.h"
#include "html/extract_measure.h"
#include "html/extract_tuning.h"

namespace html::extraction {
namespace {

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
    if (const size_t length = core::CharLengthAt(title, i); length > 1) {
      parts.back() += title.substr(i, length);
      i += length - 1;
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

// A separator between a headline and a site name, at `text[at]`: its length
// in bytes, or 0.
size_t SeparatorAt(std::string_view text, size_t at) {
  if (at >= text.size()) return 0;
  if (core::CharLengthAt(text, at) == 2) {
    const std::string_view c = text.substr(at, 2);
    for (const std::string_view wide : kWideTitleSeparators) {
      if (c == wide) return 2;
    }
    return 0;
  }
  return kTitleSeparators.find(text[at]) == std::string_view::npos ? 0 : 1;
}

// The title cut where `confirm` (a headline or og:title) says it ends: the
// title starts or ends with it, and a separator, spaced or bare, joins it
// to the rest. The confirmed part must be the longer one, so a site name in
// an h1 (a logo) never replaces the headline. "" when not confirmed.
std::string ConfirmedPart(const std::string& title, const std::string& confirm) {
  if (confirm.empty() || confirm.size() >= title.size()) return std::string();
  const auto longer = [&](std::string_view rest) { return Measure(confirm).units > Measure(rest).units; };
  if (title.compare(0, confirm.size(), confirm) == 0) {
    size_t at = confirm.size();
    while (at < title.size() && title[at] == ' ') ++at;
    const size_t separator = SeparatorAt(title, at);
    if (separator > 0 && longer(std::string_view(title).substr(at + separator))) return confirm;
  }
  const size_t start = title.size() - confirm.size();
  if (title.compare(start, confirm.size(), confirm) == 0) {
    size_t at = start;
    while (at > 0 && title[at - 1] == ' ') --at;
    // The separator is the last character before the blanks (one or two bytes).
    const bool separated = (at >= 1 && SeparatorAt(title, at - 1) == 1 && core::CharLengthAt(title, at - 1) == 1) ||
                           (at >= 2 && core::CharLengthAt(title, at - 2) == 2 && SeparatorAt(title, at - 2) == 2);
    if (separated && longer(std::string_view(title).substr(0, at))) return confirm;
  }
  return std::string();
}

}  // namespace

std::string FindTitle(const Document& d, const std::vector<int>& ends, const std::vector<bool>& headlineNames) {
  std::string title;
  std::string ogTitle;
  std::vector<std::string> headings;  // h1 first, then h2 and headline classes
  std::vector<std::string> others;
  std::vector<std::string> minor;  // h3 to h6: they only confirm where a title ends
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
      if (Measure(text).units >= kMinHeadlineUnits) (node.tag == kTag_h1 ? headings : others).push_back(text);
    } else if (IsHeading(node.tag) && !headlineNames[size_t(i)]) {
      std::string text = CollapsedText(d, ends, i + 1, ends[size_t(i)]);
      if (Measure(text).units >= kMinHeadlineUnits) minor.push_back(text);
    } else if (IsBlock(node.tag) || node.tag == kTag_span) {
      if (headlineNames[size_t(i)]) {
        std::string text = CollapsedText(d, ends, i + 1, ends[size_t(i)]);
        const int units = Measure(text).units;
        if (units >= kMinHeadlineUnits && units <= kMaxHeadlineUnits) others.push_back(text);
      }
    }
  }
  // The title cut where an h1 confirms it ends.
  for (const std::string& h1 : headings) {
    std::string part = ConfirmedPart(title, h1);
    if (!part.empty()) return part;
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
  // Else where og:title or a lesser headline confirms it ends.
  minor.insert(minor.begin(), ogTitle);
  for (const std::string& headline : minor) {
    std::string part = ConfirmedPart(title, headline);
    if (!part.empty()) return part;
  }
  if (!ogTitle.empty()) return WithoutSiteName(ogTitle);
  if (!title.empty()) return WithoutSiteName(title);
  if (!headings.empty()) return headings.front();
  return std::string();
}

}  // namespace html::extraction
