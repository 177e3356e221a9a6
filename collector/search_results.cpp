#include "collector/search_results.h"

#include "core/cut.h"
#include "core/url_codec.h"

namespace collector {

Text SearchUrlPrefix(const Text& searchHost, const Text& newsSite) {
  return "https://" + searchHost + "/s?wd=site%3A" + newsSite + "%20";
}

Text SearchUrl(const Text& prefix, const Text& keyword) {
  return prefix + core::UrlEncode(keyword, true, true);
}

Text FirstResultLink(const Text& resultPage) {
  // The class value ends with a blank before its quote; the engine writes a
  // blank on each side of the link's equals sign.
  const Text block = core::TextBetween(
      resultPage, "<div class=\"result c-container \" id=\"1\"", "target=\"_blank\"");
  return core::TextBetween(block, "href = \"", "\"");
}

}  // namespace collector
