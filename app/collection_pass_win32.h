// The collection pass as the program runs it: the real network date, the
// real hot-keyword harvest and the article collector, all under the pass's
// control.
#pragma once

#include "app/article_collector.h"
#include "app/main_window_win32.h"
#include "app/settings.h"

namespace app {

struct PassSetup {
  Text runDirectory;
  HostSettings hosts;
  ArticleCollector collect;  // empty: keywords are harvested, no article collected
  bool quiet = false;        // no "任务完成" box (--auto); the log says it instead
  // The addresses; empty: the ones the hosts give.
  Text hotListUrl;
  Text hotSearchUrl;
  Text networkDateUrl;
};

PassBody MakeCollectionPass(PassSetup setup);

// A page fetch through WinHttpFetch under the pass's control: cancelled by
// stop, and counted as an exchange, so a pause holds its result.
std::function<Text(const Text& url)> PassPageFetch(PassControl& control);

// The article collection over the network: the collector's own fetchers,
// each exchange under the pass's control as above.
ArticleCollector NetworkArticleCollector();

}  // namespace app
