// One keyword's article: search, fetch, cut, clean, keep or localise the
// images, check, name, write, log.
#pragma once

#include <functional>

#include "collector/fetched.h"
#include "collector/result_page.h"
#include "collector/search_session.h"
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
  // The engine's answer to a search, its page as GBK text ("" on failure),
  // asked with the engine's headers. A redirect that may be a verification
  // sign (see the engine's signs) is not followed but answered as it is.
  std::function<SearchAnswer(const Text& url, const sources::Engine& engine)> searchPage;
  // The article page's answer, redirects followed (its body empty on failure).
  std::function<Fetched(const Text& url)> articlePage;
  // An image's answer (its body empty on failure).
  std::function<Fetched(const Text& url)> image;
};

// What one pass gives every keyword's collection.
struct CollectorContext {
  core::WindowOps& window;     // options are read here, the log is appended here
  core::SafePoints& safePoints;  // checked before each fetch and each file write
  const Fetchers& fetchers;
  Text outputFolder;   // the pass's folder, no trailing separator
  const sources::Profile& profile;  // the search, article and cleaning rules
  SearchSession& session;           // the engines' rests and pacing, for the pass
};

// Why a keyword gave no article, from the earliest step to the latest; when
// a keyword is tried on several sites and engines, the latest step any try
// reached is the reason.
enum class Miss {
  kNone,
  kSearchFailed,   // no engine answered
  kNoResult,       // the answers held no result
  kNotOnSite,      // no result was an article of the site
  kUnrelated,      // the site's articles were not about the keyword
  kVerification,   // every engine asks for verification
  kNotDownloaded,  // the article page did not come, or came as an error page
  kNoBody,         // no article body in the page
  kNoTitle,        // no title in the page
  kTooShort,       // the body is shorter than the minimum
  kAlreadySaved,   // the article was saved for another keyword of the pass
};

// "图片地址无法解密，已略去<count>张：<article address>\r\n", for an article
// whose encrypted picture addresses did not decrypt.
Text PicturesLeftOutLogLine(int count, const Text& articleAddress);

// The log line for a keyword that gave no article:
// "未采集“<keyword>”：<reason>\r\n".
Text MissLogLine(const Text& keyword, Miss miss);

// "搜索引擎要求验证：<label>，本次不再使用\r\n"
Text VerificationLogLine(const Text& engineLabel);

// How a keyword ended; the pass counts these for its summary.
enum class ArticleOutcome {
  kNoResult,    // no usable result link (search failed, found nothing, or engines rest)
  kRejected,    // no layout, no title, or the body too short: nothing written
  kSaved,       // the file was written and logged as collected
  kSaveFailed,  // the write failed and was logged as such
  kStopped,     // the pass was stopped during this keyword
};

// Asks the profile's engines in turn (one resting, failing or asking for
// verification gives way to the next), each for the sites in turn until an
// answer leads to an article of any listed site (see ChooseArticle), then
// fetches and saves it. With the profile's `oneFilePerArticle` an article
// the pass already saved is not saved again. With `explainMisses` a keyword
// that gives no article gets its reason line in the log.
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
