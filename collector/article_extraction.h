// The article page: its bytes turned into GBK text, its layout recognised,
// its title and raw HTML body cut out by the layout's markers.
#pragma once

#include "core/text.h"

namespace collector {

using core::Bytes;
using core::Text;

struct ArticleCut {
  int layout = 0;  // 1 to 3, 0 when no layout was recognised
  Text title;      // "" when no layout or no title marker
  Text body;       // raw HTML
};

// The fetched body up to its first zero byte, percent-decoded, from UTF-8 to GBK.
Text ArticlePageText(const Bytes& body);

// Tries the three layouts in order and cuts with the first that is present;
// the "back to the site" link text is removed from the body.
ArticleCut CutArticle(const Text& page);

}  // namespace collector
