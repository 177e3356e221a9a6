// The collection pass as the program runs it: the real network date, the
// real hot-keyword harvest and the article collector, all under the pass's
// control.
#pragma once

#include <memory>

#include "app/article_collector.h"
#include "app/collection_task.h"
#include "app/main_window_win32.h"
#include "app/settings.h"
#include "hotwords/page_request.h"
#include "sources/profile.h"

namespace app {

struct PassSetup {
  Text runDirectory;
  sources::Profile profile = sources::Current();  // every site-specific value
  ArticleCollector collect;  // empty: keywords are harvested, no article collected
  bool quiet = false;        // no "任务完成" box (--auto); the log says it instead
  std::shared_ptr<LastPassFolder> lastFolder;  // told each pass's dated folder (may be null)
};

// The hint when no hot page of the classic profile gave a keyword.
inline constexpr char kClassicEmptyHint[] =
    "提示：两个热点页面都没有关键词，网站可能已改版。可在 settings.ini 的 [sources] 中设置 "
    "profile=current，或用命令行 --profile=current";

PassBody MakeCollectionPass(PassSetup setup);

// A hot page's request through WinHttpFetch under the pass's control:
// cancelled by stop, and counted as an exchange, so a pause holds its result.
// It goes through `proxy` unless that is empty, and checks certificates as
// `certificates` says (null: errors ignored).
hotwords::RequestFetch PassRequestFetch(PassControl& control, const Text& proxy = Text(),
                                        http::CertificateCheck* certificates = nullptr);

// The article collection over the network: the collector's own fetchers,
// each exchange under the pass's control as above.
ArticleCollector NetworkArticleCollector();

}  // namespace app
