#include "collector/content_cleaning.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/blank_lines.h"
#include "core/escapes.h"
#include "regex/regex.h"

namespace collector {
namespace {

// CleanHtml's patterns, in the order they run.
constexpr const char* kCleaningPatterns[] = {
    "<\\s*style[^>]*>(.|[\\r\\n])*?<\\s*\\/style[^>]*>",
    "<\\s*script[^>]*>(.|[\\r\\n])*?<\\s*\\/script[^>]*>",
    "<\\/?[^>]+>",
    "\\&[a-z]+;",
    "((?![\\r\\n])\\s)+",
};
constexpr int kPatternCount = int(sizeof kCleaningPatterns / sizeof kCleaningPatterns[0]);
constexpr int kEntityPattern = kPatternCount - 2;
constexpr int kBlankPattern = kPatternCount - 1;

// Compiled once; a compiled pattern is read-only, so threads may share it.
const regex::Regex* CleaningPatterns() {
  static const std::vector<regex::Regex> compiled = [] {
    std::vector<regex::Regex> all(kPatternCount);
    for (int i = 0; i < kPatternCount; ++i) {
      all[i].Compile(kCleaningPatterns[i], /*ignoreCase=*/false, /*multiline=*/true);
    }
    return all;
  }();
  return compiled.data();
}

// A character beside which a blank separates words: ASCII other than a line
// break, a Greek, Cyrillic or accented Latin letter (the GBK rows from 0xA6
// to 0xA8), or any character GBK lacks (Korean, most Latin letters with
// marks, symbols such as ©), so "café au lait" and Korean keep their spaces
// as "iPhone 15 Pro" does.
bool IsWordNeighbour(const Text& text, size_t at) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  if (c < 0x80) return c != '\r' && c != '\n';
  const size_t length = core::CharLengthAt(text, at);
  return length == 4 || (c >= 0xA6 && c <= 0xA8 && length == 2);
}

// `text` with each run of blanks the pattern finds replaced by one space
// when both its neighbours are word characters (see IsWordNeighbour), else
// removed. False when the engine ran out of steps.
bool CollapseBlanks(const regex::Regex& blanks, const Text& text, Text& out) {
  std::vector<std::int32_t> captures;
  if (blanks.Execute(text, /*global=*/true, captures) == regex::Status::kLimitHit) return false;
  out.clear();
  out.reserve(text.size());
  const size_t stride = size_t(2 * (blanks.Groups() + 1));
  size_t kept = 0;  // the subject's bytes up to here are in `out`
  for (size_t m = 0; m + 1 < captures.size(); m += stride) {
    const size_t begin = size_t(captures[m]);
    const size_t end = size_t(captures[m + 1]);
    // The character before the run, found by walking from the last run's
    // end (a character boundary): a double-byte character's second byte can
    // look like ASCII.
    size_t last = Text::npos;
    for (size_t p = kept; p < begin;) {
      last = p;
      p += core::CharLengthAt(text, p);
    }
    out.append(text, kept, begin - kept);
    const bool before = last != Text::npos && IsWordNeighbour(text, last);
    const bool after = end < text.size() && IsWordNeighbour(text, end);
    if (before && after) out.push_back(' ');
    kept = end;
  }
  out.append(text, kept, Text::npos);
  return true;
}

}  // namespace

Text StripParagraphTags(const Text& body) {
  // "<p.*?>" ignoring case, compiled once.
  static const regex::Regex pattern = [] {
    regex::Regex r;
    r.Compile("<p.*?>", /*ignoreCase=*/true, /*multiline=*/true);
    return r;
  }();
  std::vector<std::int32_t> captures;  // the start and end of each match
  if (pattern.Execute(body, /*global=*/true, captures) == regex::Status::kLimitHit) return body;
  std::vector<std::string_view> texts;
  texts.reserve(captures.size() / 2);
  for (size_t m = 0; m + 1 < captures.size(); m += 2) {
    texts.emplace_back(body.data() + captures[m], size_t(captures[m + 1] - captures[m]));
  }
  return RemoveEachText(body, texts);
}

namespace {

// `current` without any occurrence of `what` (not empty), written to `out`:
// false when there was none. `again` tells whether the result holds `what`
// once more; such an occurrence can only span a place where one was cut out,
// so for a text whose first byte always begins a character only the bytes
// around those places are searched.
bool RemoveAllOf(std::string_view current, std::string_view what, Text& out, bool& again) {
  int at = core::Find(current, what);
  again = false;
  if (at < 1) return false;
  out.clear();
  out.reserve(current.size());
  std::vector<size_t> joins;  // in `out`
  size_t from = 0;
  while (at >= 1) {
    out.append(current.data() + from, size_t(at - 1) - from);
    joins.push_back(out.size());
    from = size_t(at - 1) + what.size();
    at = core::Find(current, what, int(from) + 1);
  }
  out.append(current.data() + from, current.size() - from);
  if (core::CanBeInsideChar(static_cast<unsigned char>(what[0]))) {
    again = core::Find(out, what) >= 1;
    return true;
  }
  const std::string_view result = out;
  for (const size_t join : joins) {
    const size_t begin = join >= what.size() - 1 ? join - (what.size() - 1) : 0;
    const size_t end = std::min(result.size(), join + what.size() - 1);
    if (end > begin && result.substr(begin, end - begin).find(what) != std::string_view::npos) {
      again = true;
      break;
    }
  }
  return true;
}

}  // namespace

Text RemoveEachText(const Text& body, const std::vector<std::string_view>& texts) {
  std::string_view current = body;  // the body, or `out` once something was removed
  Text out, next;
  // A text is searched again only when the body changed since it was last
  // seen absent (a removal can join the pieces of a new occurrence), so an
  // 8 MB body with thousands of "<p>" costs one pass per distinct text.
  std::unordered_map<std::string_view, size_t> absentSince;  // text -> change count when last seen absent
  size_t changes = 0;
  for (const std::string_view text : texts) {
    if (text.empty()) continue;
    const auto seen = absentSince.find(text);
    if (seen != absentSince.end() && seen->second == changes) continue;
    bool again = false;
    if (RemoveAllOf(current, text, next, again)) {
      out.swap(next);
      current = out;
      ++changes;
    }
    // Absent now: the same text is not looked for again until the body changes.
    if (!again) absentSince[text] = changes;
  }
  if (changes == 0) return body;
  return out;
}

Text ReplaceParagraphEnds(const Text& body) { return core::ReplaceAll(body, "</p>", "\r\n", true); }

Text CleanHtml(Text body, const sources::CleaningRules& rules) {
  const regex::Regex* patterns = CleaningPatterns();
  Text text = std::move(body);
  Text next;
  const bool collapse = rules.blanks == sources::BlankRule::kCollapse;
  for (int i = 0; i < kPatternCount; ++i) {
    bool ok = true;
    if (collapse && i == kBlankPattern) {
      ok = CollapseBlanks(patterns[i], text, next);
    } else if (rules.decodeEntities && i == kEntityPattern) {
      next = core::HtmlUnescape(text);
    } else {
      ok = patterns[i].Replace(text, "", /*global=*/true, next) != regex::Status::kLimitHit;
    }
    if (!ok) return Text();
    text.swap(next);
  }
  text = core::RemoveBlankLines(text);
  if (collapse) {
    const size_t first = text.find_first_not_of("\r\n");
    if (first == Text::npos) return Text();
    text = text.substr(first, text.find_last_not_of("\r\n") - first + 1);
  }
  return text;
}

Text CleanBody(const Text& body, bool keepImages, ImageSources& imageSources,
               const sources::CleaningRules& rules, const PictureRules& pictures,
               int* picturesLeftOut) {
  Text text = ReplaceParagraphEnds(StripParagraphTags(body));
  if (!keepImages) return CleanHtml(std::move(text), rules);
  return RestoreImages(CleanHtml(ProtectImages(text, imageSources, pictures, picturesLeftOut), rules),
                       imageSources);
}

}  // namespace collector
