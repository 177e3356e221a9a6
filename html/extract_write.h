// Writing the chosen part of a page as the body of an article: "<p>...</p>"
// paragraphs (a block or a line break ends one), text escaped where it would
// read as markup, pictures in place as <img src="..."> with the real source
// of a lazy-loaded one.
#pragma once

#include <string>
#include <vector>

#include "html/extract_score.h"
#include "html/tree.h"

namespace html::extraction {

std::string WriteBody(const Document& d, const std::vector<int>& ends, const Choice& choice);

}  // namespace html::extraction
