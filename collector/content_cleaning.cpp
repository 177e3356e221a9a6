#include "collector/content_cleaning.h"

#include <map>

#include "hotwords/blank_lines.h"
#include "regex/regex.h"
#include "regex/regex_object.h"

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

}  // namespace

Text StripParagraphTags(const Text& body) {
  regex::RegexObject tags;
  tags.Create("<p.*?>", body);
  Text out = body;
  // A text removed before is searched again only when the body changed since
  // (a removal can join the pieces of a new occurrence); otherwise it cannot
  // be there, and an 8 MB body with thousands of "<p>" stays linear.
  std::map<Text, size_t> absentSince;  // text -> change count when last found absent
  size_t changes = 0;
  for (int i = 1; i <= tags.MatchCount(); ++i) {
    const Text tag = tags.MatchText(i);
    const auto seen = absentSince.find(tag);
    if (seen != absentSince.end() && seen->second == changes) continue;
    if (core::Find(out, tag) < 0) {
      absentSince[tag] = changes;
      continue;
    }
    out = core::ReplaceAll(out, tag, "");
    ++changes;
  }
  return out;
}

Text ReplaceParagraphEnds(const Text& body) { return core::ReplaceAll(body, "</p>", "\r\n", true); }

Text CleanHtml(const Text& body) {
  const regex::Regex* patterns = CleaningPatterns();
  Text text = body;
  Text next;
  for (int i = 0; i < kPatternCount; ++i) {
    if (patterns[i].Replace(text, "", /*global=*/true, next) == regex::Status::kLimitHit) {
      return Text();
    }
    text.swap(next);
  }
  return hotwords::RemoveBlankLines(text);
}

Text CleanBody(const Text& body, bool keepImages, ImageSources& imageSources) {
  Text text = ReplaceParagraphEnds(StripParagraphTags(body));
  if (!keepImages) return CleanHtml(text);
  return RestoreImages(CleanHtml(ProtectImages(text, imageSources)), imageSources);
}

}  // namespace collector
