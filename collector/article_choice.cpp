#include "collector/article_choice.h"

#include "collector/relevance.h"

namespace collector {

ArticleChoice ChooseArticle(const std::vector<SearchResult>& results, const Text& keyword,
                            const sources::SearchRules& rules, const std::set<Text>& passedOver) {
  ArticleChoice choice;
  for (const sources::NewsSite& site : rules.sites) {
    for (const SearchResult& result : results) {
      if (!IsSiteArticle(result.link, site)) continue;
      choice.choice = Choice::kUnrelated;
      if (passedOver.count(ArticleAddress(result.link, rules)) > 0) continue;
      if (RelevancePercent(keyword, result.title + " " + result.snippet) < rules.relevancePercent) {
        continue;
      }
      choice.choice = Choice::kChosen;
      choice.link = result.link;
      choice.site = &site;
      return choice;
    }
  }
  return choice;
}

Text ArticleAddress(const Text& link, const sources::SearchRules& rules) {
  Text host = LinkHost(link);
  if (const sources::NewsSite* site = sources::SiteOfHost(rules, host)) host = LinkHost("http://" + site->host);
  if (host.empty()) return link;
  const Text path = LinkPath(link);
  return host + path;
}

}  // namespace collector
