// Turning an article's HTML body into plain text, one paragraph per line.
#pragma once

#include <string_view>
#include <vector>

#include "collector/image_markers.h"
#include "core/text.h"
#include "sources/profile.h"

namespace collector {

using core::Text;

// The body without its opening paragraph tags: every text the pattern
// "<p.*?>" (ignoring case) finds is removed wherever it occurs. The pattern
// also takes other tags whose name begins with p (pre, param).
Text StripParagraphTags(const Text& body);

// `body` after removing every occurrence of each text in turn (case-sensitive,
// on character boundaries), as the paragraph-tag removal does with the texts
// its pattern found.
Text RemoveEachText(const Text& body, const std::vector<std::string_view>& texts);

// Every "</p>", in any case, becomes "\r\n".
Text ReplaceParagraphEnds(const Text& body);

// Deletes, case-sensitively and in this order, style elements, script
// elements, every remaining tag, lower-case named entities (or, with
// `decodeEntities`, decodes every character reference) and the blanks that
// are not line breaks, then removes blank lines. With kCollapse a run of
// blanks between two ASCII characters (neither a line break) stays as one
// space, every other run goes, and the text loses its leading and trailing
// line breaks. "" when the body is too hostile for the regular-expression
// engine's step budget.
Text CleanHtml(Text body, const sources::CleaningRules& rules);

// The text steps of cleaning one article body: paragraph tags, "</p>", and
// CleanHtml, with the images protected around it when `keepImages` (read as
// `pictures` say; see ProtectImages for `picturesLeftOut`). The
// image download and LocaliseImageRefs, which follow when the pictures are
// made local, are the caller's.
Text CleanBody(const Text& body, bool keepImages, ImageSources& imageSources,
               const sources::CleaningRules& rules, const PictureRules& pictures = {},
               int* picturesLeftOut = nullptr);

}  // namespace collector
