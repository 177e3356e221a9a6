// One keyword's article: search, fetch, cut, clean, keep or localise the
// images, check, name, write, log.
#pragma once

#include <functional>

#include "core/safe_points.h"
#include "core/text.h"
#include "core/window_ops.h"
#include "sources/profile.h"

namespace collector {

using core::Bytes;
using core::Text;

// The network as the collector uses it. The program wires these to its
// HTTP clients; tests give pages of their own.
struct Fetchers {
  // The search result page as GBK text ("" on failure).
  std::function<Text(const Text& url)> searchPage;
  // The article page's body bytes, redirects followed (empty on failure).
  std::function<Bytes(const Text& url)> articlePage;
  // An image's bytes (empty on failure).
  std::function<Bytes(const Text& url)> image;
};

// What one pass gives every keyword's collection.
struct CollectorContext {
  core::WindowOps& window;     // options are read here, the log is appended here
  core::SafePoints& safePoints;  // checked before each fetch and each file write
  const Fetchers& fetchers;
  Text searchAddress;  // see SearchAddress
  Text outputFolder;   // the pass's folder, no trailing separator
  const sources::Profile& profile;  // the search, article and cleaning rules
};

// How a keyword ended; the pass counts these for its summary.
enum class ArticleOutcome {
  kNoResult,    // no first result link (search failed or found nothing)
  kRejected,    // no layout, no title, or the body too short: nothing written
  kSaved,       // the file was written and logged as collected
  kSaveFailed,  // the write failed and was logged as such
  kStopped,     // the pass was stopped during this keyword
};

ArticleOutcome CollectArticle(const Text& keyword, CollectorContext& context);

// What became of a pass's keywords, for the summary line before "任务完成".
// Every keyword handled counts; one that gave no saved article (no result,
// rejected, or its write failed) counts as failed. A stopped keyword is not
// counted (a stopped pass shows no summary).
struct ArticleTally {
  int keywords = 0;
  int saved = 0;
  int failed = 0;

  void Add(ArticleOutcome outcome);
  // "本次采集：关键词N个，保存文章M篇，失败K篇\r\n"
  Text SummaryLine() const;
};

}  // namespace collector
