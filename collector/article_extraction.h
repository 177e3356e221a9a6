// The article page: its bytes turned into GBK text, its layout recognised,
// its title and raw HTML body cut out by the layout's markers.
#pragma once

#include "core/text.h"
#include "sources/profile.h"

namespace collector {

using core::Bytes;
using core::Text;

struct ArticleCut {
  int layout = 0;  // from 1, in the rules' order; 0 when no layout was recognised
  Text title;      // "" when no layout or no title marker
  Text body;       // raw HTML
  // The layout was recognised but its body's end marker is not in the page
  // (the body is then empty).
  bool endMissing = false;
};

// The fetched body up to its first zero byte, from UTF-8 to GBK, and with
// `percentDecode` every "%HH" of the page decoded first.
Text ArticlePageText(const Bytes& body, bool percentDecode);

// Tries the layouts in order and cuts with the first that is present; the
// rules' texts, and the matches of their removal pattern, are removed from
// the body.
ArticleCut CutArticle(const Text& page, const sources::ArticleRules& rules);

// The article of a page as a pass reads it: cut by its layout, or, when the
// rules allow the fallback, by the general extractor where no layout is
// present or the layout's end marker is gone (a layout's own title is kept).
ArticleCut ReadArticle(const Text& page, const sources::ArticleRules& rules);

}  // namespace collector
