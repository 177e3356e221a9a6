// A pass of many keywords through CollectArticle, pages of about 200 KB.
//
//   bench_pipeline [--pages N] [--kb K]
//
// Always: the same pages served from memory, so the figure is the program's
// own time per article (cut, clean, write). With HOT_TEST_SERVER and
// HOT_TEST_SERVER_HTTPS set (tools/with-test-server) and real HTTP clients
// (the Windows build), also: the server alone answering every page and
// the pass over the network, taking turns keyword by keyword, the pass's
// time waiting on the server, and the memory after each tenth of the
// keywords.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "collector/article_extraction.h"
#include "collector/collect_article.h"
#include "collector/content_cleaning.h"
#include "collector/network_fetchers.h"
#include "collector/search_results.h"
#include "core/cut.h"
#include "core/encoding.h"
#include "core/file_system.h"
#include "core/url_codec.h"
#include "http/request_rules.h"
#include "http/winhttp_fetch.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace {

using collector::Text;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The working set now in KiB (natively the peak resident size so far).
long MemoryKb() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  return long(counters.WorkingSetSize / 1024);
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
#endif
}

// The window as a pass starts it, with original titles so every article
// gets a file of its own.
class Window : public core::WindowOps {
 public:
  Text ReadText(core::Control c) override { return c == core::Control::编辑框_线程1 ? "50" : ""; }
  void ReplaceText(core::Control, const Text&) override {}
  void AppendText(core::Control, const Text&) override { ++lines; }
  bool IsChecked(core::Control c) override {
    return c == core::Control::单选框_原标题 || c == core::Control::单选框_GBK;
  }
  void SetChecked(core::Control, bool) override {}
  void SetDisabled(core::Control, bool) override {}
  void ShowProgress(int, int, int) override {}
  int lines = 0;
};

class NeverStopped : public core::SafePoints {
 public:
  bool Checkpoint() override { return true; }
  bool IsStopped() const override { return false; }
};

Text Keyword(int i) { return "热点关键词" + core::IntToText(i); }

// A layout 1 article of about `kb` KiB in UTF-8: paragraphs of Chinese and
// English text with entities, inline tags, style and script blocks.
std::string ArticlePage(int i, int kb) {
  Text body;
  int n = 0;
  while (int(body.size()) < kb * 1024 * 13 / 15) {  // about `kb` KiB once in UTF-8
    body += "<p class=\"para\">第" + core::IntToText(++n) +
            "段：这是一段用于测试的新闻正文，&nbsp;包含<strong>加粗</strong>和<a href=\"/x\">链接</a>，"
            "as well as some English words &amp; entities.</p>\n";
    if (n % 20 == 0) body += "<style>.p" + core::IntToText(n) + "{color:red}</style>\n";
    if (n % 25 == 0) body += "<script>var t" + core::IntToText(n) + " = {a: 1};</script>\n";
  }
  const Text page = "<html><head><title>t</title></head><body><script>var a = {title: \"第" +
                    core::IntToText(i) + "篇文章\"};</script><article class=\"article\" id=\"mp-editor\">" +
                    body + "<p data-role=\"editor-name\">责任编辑：某</p></article></body></html>";
  return core::GbkToUtf8(page);
}

Text ResultPage(const Text& link) {
  return "<html><div class=\"result c-container \" id=\"1\"><a href = \"" + link +
         "\" target=\"_blank\">r</a></div></html>";
}

Text JsonString(const Text& s) {
  Text out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

Text Answer(const std::string& bytes) {
  return "{\"body_b64\": " + JsonString(http::Base64(bytes)) +
         ", \"headers\": [[\"Content-Type\", \"text/html\"]]}";
}

void PrintMemory(const std::vector<long>& memory) {
  std::printf("  memory (KiB) after each tenth of the keywords:");
  for (long m : memory) std::printf(" %ld", m);
  std::printf("\n");
}

// The own time split by stage over every page: the page decoded to GBK,
// title and body cut, the body cleaned, the file written.
void PrintStages(const std::vector<std::string>& articles, const Text& folder) {
  const sources::Profile& classic = sources::Classic();
  double decode = 0, cut = 0, clean = 0, write = 0;
  for (const std::string& page : articles) {
    auto start = Clock::now();
    const Text text = collector::ArticlePageText(core::Bytes(page.begin(), page.end()), classic.article.percentDecode);
    decode += Seconds(Clock::now() - start);
    start = Clock::now();
    const collector::ArticleCut article = collector::CutArticle(text, classic.article);
    cut += Seconds(Clock::now() - start);
    start = Clock::now();
    collector::ImageSources sources;
    const Text body = collector::CleanBody(article.body, false, sources, classic.cleaning);
    clean += Seconds(Clock::now() - start);
    start = Clock::now();
    core::WriteWholeFile(folder + "\\stage.txt", body);
    write += Seconds(Clock::now() - start);
  }
  const double n = double(articles.size()) / 1000;
  std::printf("  by stage (ms per article): decode %.2f, cut %.2f, clean %.2f, write %.2f\n", decode / n,
              cut / n, clean / n, write / n);
}

// The classic profile asking `searchHost` for `newsSite`.
sources::Profile BenchProfile(const Text& searchHost, const Text& newsSite) {
  sources::Profile profile = sources::Classic();
  profile.search.engines[0].address = sources::ReplaceHost(profile.search.engines[0].address, searchHost);
  profile.search.sites[0].host = newsSite;
  return profile;
}

// Runs every keyword through CollectArticle; returns the pass seconds and
// the seconds spent inside the fetchers in `waiting`. `beforeEach`, when
// given, runs before each keyword outside the timing.
double Pass(int pages, collector::Fetchers fetchers, const sources::Profile& profile, const Text& folder,
            double& waiting, std::vector<long>& memory,
            const std::function<void(int)>& beforeEach = nullptr) {
  Window window;
  NeverStopped safePoints;
  waiting = 0;
  const auto timed = [&waiting](auto inner) {
    return [&waiting, inner](const Text& url) {
      const auto start = Clock::now();
      auto result = inner(url);
      waiting += Seconds(Clock::now() - start);
      return result;
    };
  };
  fetchers.searchPage = [&waiting, inner = fetchers.searchPage](const Text& url,
                                                              const sources::Engine& engine) {
    const auto start = Clock::now();
    auto result = inner(url, engine);
    waiting += Seconds(Clock::now() - start);
    return result;
  };
  fetchers.articlePage = timed(fetchers.articlePage);
  collector::SearchSession session(
      {[] { return std::int64_t(0); }, [](std::int64_t) { return true; }});
  collector::CollectorContext context{window, safePoints, fetchers, folder, profile, session};
  const int tenth = pages / 10 > 0 ? pages / 10 : 1;
  double seconds = 0;
  for (int i = 0; i < pages; ++i) {
    if (beforeEach) beforeEach(i);
    const auto start = Clock::now();
    collector::CollectArticle(Keyword(i), context);
    seconds += Seconds(Clock::now() - start);
    if ((i + 1) % tenth == 0) memory.push_back(MemoryKb());
  }
  if (window.lines != pages) std::printf("  warning: %d of %d articles logged\n", window.lines, pages);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  int pages = 200, kb = 200;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--pages") pages = std::atoi(argv[i + 1]);
    if (a == "--kb") kb = std::atoi(argv[i + 1]);
  }
  if (pages < 1 || kb < 1) return 2;
  const Text folder = core::ExecutableDirectory() + "\\bench_pipeline_out";
  core::CreateDirectoryLevel(folder);

  const Text newsSite = "bench.test";
  std::vector<std::string> articles;
  for (int i = 0; i < pages; ++i) articles.push_back(ArticlePage(i, kb));
  std::printf("pipeline: %d keywords, article pages of %zu KB\n", pages, articles[0].size() / 1024);

  // From memory: the program's own time.
  {
    const sources::Profile profile = BenchProfile("memory", newsSite);
    collector::Fetchers fetchers;
    fetchers.searchPage = [](const Text& url, const sources::Engine&) {
      return collector::SearchAnswer{ResultPage(core::TextAfterLast(url, "%20")), 200, ""};
    };
    std::map<Text, int> pageOf;  // looked up in the pass, so kept cheap
    for (int i = 0; i < pages; ++i) pageOf[core::UrlEncode(Keyword(i), true, true)] = i;
    fetchers.articlePage = [&](const Text& url) {
      const auto found = pageOf.find(url);
      collector::Fetched answer;
      if (found == pageOf.end()) return answer;
      const std::string& page = articles[size_t(found->second)];
      answer.body.assign(page.begin(), page.end());
      answer.status = 200;
      return answer;
    };
    fetchers.image = fetchers.articlePage;
    double waiting = 0;
    std::vector<long> memory;
    const double seconds = Pass(pages, fetchers, profile, folder, waiting, memory);
    std::printf("from memory: own time %.2f ms per article (%.2f s for the pass)\n",
                (seconds - waiting) * 1000 / pages, seconds);
    PrintMemory(memory);
    PrintStages(articles, folder);
  }

  const char* plain = std::getenv("HOT_TEST_SERVER");
  const char* secure = std::getenv("HOT_TEST_SERVER_HTTPS");
  if (!plain || !secure) {
    std::printf("network: skipped (no HOT_TEST_SERVER; run under tools/with-test-server)\n");
    return 0;
  }
  const Text control = Text("http://") + plain;
  const sources::Profile profile = BenchProfile(secure, newsSite);
  const Text prefix = collector::SearchAddress(profile.search.engines[0], newsSite);
  const Text searchPath = "/s?wd=site%3A" + newsSite + "%20";
  // The server gets its answers a few pages at a time.
  for (int i = 0; i < pages; i += 5) {
    Text script = "{";
    for (int j = i; j < pages && j < i + 5; ++j) {
      if (j > i) script += ", ";
      script += JsonString(searchPath + core::UrlEncode(Keyword(j), true, true)) + ": " +
                Answer(ResultPage(control + "/a/" + core::IntToText(j))) + ", " +
                JsonString("/a/" + core::IntToText(j)) + ": " + Answer(articles[j]);
    }
    script += "}";
    http::RequestOptions options;
    options.method = 1;
    options.postText = script;
    Text status;
    options.statusText = &status;
    http::WinHttpFetch(control + "/__script", options);
    if (status.rfind("200", 0) != 0) {
      std::printf("network: scripting the server failed (%s)\n", status.c_str());
      return 1;
    }
  }

  // The server alone (the pages of a keyword fetched through the same
  // clients, nothing else done) and the pass take turns keyword by keyword,
  // so that a change of the machine's speed meets both alike.
  const collector::Fetchers network = collector::NetworkFetchers(nullptr, profile);
  double serverSeconds = 0;
  size_t bytes = 0;
  const auto serverAlone = [&](int i) {
    const auto start = Clock::now();
    bytes += network.searchPage(prefix + core::UrlEncode(Keyword(i), true, true), profile.search.engines[0])
                 .page.size();
    bytes += network.articlePage(control + "/a/" + core::IntToText(i)).body.size();
    serverSeconds += Seconds(Clock::now() - start);
  };
  double waiting = 0;
  std::vector<long> memory;
  const double seconds = Pass(pages, network, profile, folder, waiting, memory, serverAlone);
  std::printf("server alone: %.2f s for %d searches and articles (%zu KB)\n", serverSeconds, pages,
              bytes / 1024);
  std::printf("network pass: %.2f s, waiting on the server %.2f s, own time %.2f ms per article; "
              "pass / server alone = %.2f\n",
              seconds, waiting, (seconds - waiting) * 1000 / pages, seconds / serverSeconds);
  PrintMemory(memory);
  return 0;
}
