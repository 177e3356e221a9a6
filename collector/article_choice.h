// Which article an engine's answer leads a keyword to. The answer to a
// search restricted to one site may hold articles of the other listed sites
// as well (engines do not always honour "site:"), and any of them will do:
// the first site in the list that has a relevant article wins, so that a
// keyword needs another search only when an answer held none.
#pragma once

#include <set>
#include <vector>

#include "collector/result_page.h"
#include "core/text.h"
#include "sources/profile.h"

namespace collector {

using core::Text;

enum class Choice {
  kNoSiteArticle,  // no result is an article of a listed site
  kUnrelated,      // the sites' articles are not about the keyword
  kChosen,
};

struct ArticleChoice {
  Choice choice = Choice::kNoSiteArticle;
  Text link;                                // the chosen result's link
  const sources::NewsSite* site = nullptr;  // the chosen article's site
};

// Among `results` (page order), the article a keyword leads to: an article
// of a listed site (its host or another host, its path matching the site's
// pattern) whose title and snippet hold the rules' share of the keyword; of
// the earliest site in the rules' list that has one, the first in page
// order. Articles whose address (see ArticleAddress) is in `passedOver` are
// not chosen again.
ArticleChoice ChooseArticle(const std::vector<SearchResult>& results, const Text& keyword,
                            const sources::SearchRules& rules, const std::set<Text>& passedOver);

// The address an article is known by within a pass: its site's host (the
// listed one, also for the site's other hosts; else its own, lower-case)
// and its path, without scheme, port, query or fragment. Two links that
// differ only there lead to the same article.
Text ArticleAddress(const Text& link, const sources::SearchRules& rules);

}  // namespace collector
