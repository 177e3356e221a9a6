#include "app/collection_pass_win32.h"

#include "app/collection_task.h"
#include "app/network_date.h"
#include "core/file_system.h"
#include "hotwords/hot_keywords.h"
#include "http/winhttp_fetch.h"

namespace app {

PassBody MakeCollectionPass(PassSetup setup) {
  if (setup.hotListUrl.empty()) setup.hotListUrl = HotListUrl(setup.hosts);
  if (setup.hotSearchUrl.empty()) setup.hotSearchUrl = HotSearchUrl(setup.hosts);
  if (setup.networkDateUrl.empty()) setup.networkDateUrl = NetworkDateUrl(setup.hosts);
  return [setup](PassControl& control, core::WindowOps& window) {
    // The history text belongs to this pass, so a stopped pass that wakes up
    // late never shares it with the next one.
    Text historyKeywords;
    const hotwords::PageFetch fetch = [&control](const Text& url) {
      http::RequestOptions options;
      options.cancel = &control.Token();
      ExchangeScope exchange(control);
      return http::WinHttpFetch(url, options);
    };
    PassServices services;
    services.createDirectory = [](const Text& path) { core::CreateDirectoryLevel(path); };
    services.networkDate = [&] {
      ExchangeScope exchange(control);
      return NetworkDate(setup.networkDateUrl, &control.Token());
    };
    services.harvestHotKeywords = [&] {
      const hotwords::HarvestPlan plan{setup.hotListUrl, setup.hotSearchUrl,
                                       setup.runDirectory + hotwords::kHistoryFileName};
      hotwords::HarvestHotKeywords(plan, fetch, window, control, historyKeywords);
    };
    services.collectArticle = [&](const Text& keyword, const Text& outputFolder) {
      if (setup.collect) setup.collect(ArticleJob{keyword, window, control, outputFolder, setup.hosts});
    };
    services.showMessage = [&](const Text& message) {
      // Past its last safe point: the pass fetches and writes no more.
      control.MarkEnded();
      if (setup.quiet) {
        window.AppendText(core::Control::编辑框1, message + "\r\n");
      } else {
        ShowInfoMessage(message);
      }
    };
    CollectionTask(setup.runDirectory, window, control, services);
  };
}

}  // namespace app
