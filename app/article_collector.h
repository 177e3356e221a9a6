// How a pass hands one keyword to the article collection.
#pragma once

#include <functional>

#include "app/pass_control.h"
#include "collector/collect_article.h"
#include "core/text.h"
#include "core/window_ops.h"
#include "http/certificates.h"
#include "sources/profile.h"

namespace app {

using core::Text;

struct ArticleJob {
  const Text& keyword;
  core::WindowOps& window;   // options and the log, guarded by the pass
  PassControl& control;      // safe points, and the token for the HTTP clients
  const Text& outputFolder;  // the pass's folder, no trailing separator
  const sources::Profile& profile;  // the search and article rules
  collector::SearchSession& search;  // the engines' rests and pacing, for the pass
  http::CertificateCheck* certificates = nullptr;  // the pass's; null: errors ignored
};

// Collects one keyword's article and tells what became of it.
using ArticleCollector = std::function<collector::ArticleOutcome(const ArticleJob& job)>;

}  // namespace app
