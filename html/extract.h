// The main text of a page of no known layout: its title and the blocks that
// hold the article, found by the structure of the page.
#pragma once

#include "core/text.h"

namespace html {

struct Extracted {
  core::Text title;
  // The chosen blocks as "<p>...</p>" paragraphs (text escaped where it
  // would read as markup) with the <img src="..."> tags in place, ready for
  // the same cleaning as a layout's body.
  core::Text body;
};

// Title and body of a GBK page; both empty when nothing article-like is found.
Extracted ExtractArticle(const core::Text& page);

}  // namespace html
