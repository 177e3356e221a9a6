#include "app/collection_pass_win32.h"

#include <memory>

#include "app/collection_task.h"
#include "app/network_date.h"
#include "collector/collect_article.h"
#include "collector/network_fetchers.h"
#include "collector/search_results.h"
#include "core/file_system.h"
#include "hotwords/hot_keywords.h"
#include "http/charset.h"
#include "http/request_rules.h"
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

hotwords::RequestFetch PassRequestFetch(PassControl& control, const Text& proxy,
                                        http::CertificateCheck* certificates) {
  return [&control, proxy, certificates](const hotwords::PageRequest& request) {
    ExchangeScope exchange(control);
    http::RequestOptions options;
    options.cancel = &control.Token();
    options.certificates = certificates;
    if (!proxy.empty()) options.proxy = proxy;
    if (request.post) {
      options.method = 1;
      options.postText = request.body;
    }
    if (!request.headers.empty()) options.headers = request.headers;
    if (!request.cookies.empty()) options.cookies = request.cookies;
    Text responseHeaders;
    core::Bytes body;
    options.responseHeaders = &responseHeaders;
    options.responseBody = &body;
    hotwords::FetchedPage page;
    page.text = http::DecodePageText(body, http::WinHttpFetch(request.url, options), request.charset);
    page.status = core::TextToInt(http::StatusTextOf(responseHeaders));
    return page;
  };
}

ArticleCollector NetworkArticleCollector() {
  return [](const ArticleJob& job) {
    const collector::Fetchers network =
        collector::NetworkFetchers(&job.control.Token(), job.profile, job.certificates);
    collector::Fetchers fetchers;
    fetchers.searchPage = [&job, search = network.searchPage](const Text& url,
                                                             const sources::Engine& engine) {
      ExchangeScope exchange(job.control);
      return search(url, engine);
    };
    fetchers.articlePage = AsExchange<collector::Fetched>(job.control, network.articlePage);
    fetchers.image = AsExchange<collector::Fetched>(job.control, network.image);
    collector::CollectorContext context{job.window, job.control,  fetchers,
                                       job.outputFolder, job.profile, job.search};
    return collector::CollectArticle(job.keyword, context);
  };
}

PassBody MakeCollectionPass(PassSetup setup) {
  // The visitor cookie outlives a pass: later passes reuse it until refused.
  const auto visitorCookie = std::make_shared<hotwords::VisitorCookie>();
  return [setup, visitorCookie](PassControl& control, core::WindowOps& window) {
    // The history text belongs to this pass, so a stopped pass that wakes up
    // late never shares it with the next one.
    Text historyKeywords;
    // What each hot list gave, for the health lines at the end.
    std::vector<hotwords::HotListHealth> hotHealth;
    // A refused certificate is told once per host and pass, in the log.
    http::CertificateCheck certificates(setup.profile.checkCertificates, [&window](const Text& line) {
      window.AppendText(core::Control::编辑框1, line + "\r\n");
    });
    PassServices services;
    services.createDirectory = [](const Text& path) { core::CreateDirectoryLevel(path); };
    if (setup.lastFolder) {
      services.folderMade = [last = setup.lastFolder](const Text& folder) { last->Set(folder); };
    }
    services.networkDate = [&] {
      ExchangeScope exchange(control);
      return NetworkDate(setup.profile.dateAddress, &control.Token(), setup.profile.proxy, &certificates);
    };
    services.harvestHotKeywords = [&] {
      const hotwords::HarvestSetup harvest{setup.profile,
                                           setup.runDirectory + hotwords::kHistoryFileName,
                                           PassRequestFetch(control, setup.profile.proxy, &certificates),
                                           *visitorCookie};
      const int found = hotwords::HarvestHotKeywords(harvest, window, control, historyKeywords, &hotHealth);
      // A stopped harvest found nothing worth a hint.
      if (found == 0 && setup.profile.kind == sources::ProfileKind::kClassic && !control.IsStopped()) {
        window.AppendText(core::Control::编辑框1, Text(kClassicEmptyHint) + "\r\n");
      }
    };
    // What became of the keywords, for the summary line before "任务完成".
    collector::ArticleTally tally;
    // The engines' rests and pacing last for the pass.
    collector::SearchSession search(PassWaitClock(control));
    services.collectArticle = [&](const Text& keyword, const Text& outputFolder) {
      if (!setup.collect) return false;
      const collector::ArticleOutcome outcome =
          setup.collect(ArticleJob{keyword, window, control, outputFolder, setup.profile, search, &certificates});
      tally.Add(outcome);
      return outcome == collector::ArticleOutcome::kSaved;
    };
    services.showMessage = [&](const Text& message) {
      // Past its last safe point: the pass fetches and writes no more.
      control.MarkEnded();
      if (message == kPassDoneMessage) {
        if (setup.profile.sourceHealth) {
          Text health;
          for (const hotwords::HotListHealth& list : hotHealth) health += hotwords::HotListHealthLine(list);
          window.AppendText(core::Control::编辑框1, health + collector::SearchHealthLines(search, setup.profile.search));
        }
        window.AppendText(core::Control::编辑框1, tally.SummaryLine());
      }
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
