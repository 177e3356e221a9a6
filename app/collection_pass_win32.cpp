#include "app/collection_pass_win32.h"

#include "app/collection_task.h"
#include "app/network_date.h"
#include "collector/collect_article.h"
#include "collector/network_fetchers.h"
#include "collector/search_results.h"
#include "core/file_system.h"
#include "hotwords/hot_keywords.h"
#include "http/winhttp_fetch.h"

namespace app {

namespace {

// Wraps a fetch so that the pass counts it as an exchange.
template <typename Result>
std::function<Result(const Text&)> AsExchange(PassControl& control,
                                              std::function<Result(const Text&)> fetch) {
  return [&control, fetch](const Text& url) {
    ExchangeScope exchange(control);
    return fetch(url);
  };
}

}  // namespace

std::function<Text(const Text& url)> PassPageFetch(PassControl& control) {
  return AsExchange<Text>(control, [&control](const Text& url) {
    http::RequestOptions options;
    options.cancel = &control.Token();
    return http::WinHttpFetch(url, options);
  });
}

ArticleCollector NetworkArticleCollector() {
  return [](const ArticleJob& job) {
    const collector::Fetchers network = collector::NetworkFetchers(&job.control.Token());
    collector::Fetchers fetchers;
    fetchers.searchPage = AsExchange<Text>(job.control, network.searchPage);
    fetchers.articlePage = AsExchange<core::Bytes>(job.control, network.articlePage);
    fetchers.image = AsExchange<core::Bytes>(job.control, network.image);
    collector::CollectorContext context{
        job.window, job.control, fetchers,
        collector::SearchUrlPrefix(job.hosts.search, job.hosts.newssite), job.outputFolder};
    return collector::CollectArticle(job.keyword, context);
  };
}

PassBody MakeCollectionPass(PassSetup setup) {
  if (setup.hotListUrl.empty()) setup.hotListUrl = HotListUrl(setup.hosts);
  if (setup.hotSearchUrl.empty()) setup.hotSearchUrl = HotSearchUrl(setup.hosts);
  if (setup.networkDateUrl.empty()) setup.networkDateUrl = NetworkDateUrl(setup.hosts);
  return [setup](PassControl& control, core::WindowOps& window) {
    // The history text belongs to this pass, so a stopped pass that wakes up
    // late never shares it with the next one.
    Text historyKeywords;
    const hotwords::PageFetch fetch = PassPageFetch(control);
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
    // What became of the keywords, for the summary line before "任务完成".
    collector::ArticleTally tally;
    services.collectArticle = [&](const Text& keyword, const Text& outputFolder) {
      if (setup.collect) {
        tally.Add(setup.collect(ArticleJob{keyword, window, control, outputFolder, setup.hosts}));
      }
    };
    services.showMessage = [&](const Text& message) {
      // Past its last safe point: the pass fetches and writes no more.
      control.MarkEnded();
      if (message == kPassDoneMessage) window.AppendText(core::Control::编辑框1, tally.SummaryLine());
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
