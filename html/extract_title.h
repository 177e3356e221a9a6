// The title of an article page: the headline (an h1, an h2 or a block named
// like a headline) that agrees with the page's <title> or og:title, else
// one of those without the site's name joined to it.
#pragma once

#include <string>
#include <vector>

#include "html/tree.h"

namespace html::extraction {

// `ends` holds one past the last node of every node's subtree; `headlineNames`
// marks the elements whose class or id names a headline.
std::string FindTitle(const Document& d, const std::vector<int>& ends, const std::vector<bool>& headlineNames);

}  // namespace html::extraction
