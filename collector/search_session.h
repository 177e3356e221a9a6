// What a pass remembers between keywords: which engines asked for
// verification (they rest for the rest of the pass), when each was last
// asked (so that searches are spaced out), what each engine and site did
// (for the health lines at the pass's end), and which articles it saved (so
// that two keywords leading to one article give one file).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "core/text.h"
#include "sources/profile.h"

namespace collector {

using core::Text;

// The clock the pacing reads and the wait it uses: `now` in milliseconds
// from any fixed start; `wait` holds for that many milliseconds and returns
// false when the pass was stopped meanwhile (it holds longer while paused).
struct PassClock {
  std::function<std::int64_t()> now;
  std::function<bool(std::int64_t milliseconds)> wait;
};

// What one engine did in a pass.
struct EngineHealth {
  int searches = 0;
  int verifications = 0;  // verification pages (the engine then rests)
  int failures = 0;       // searches without an answer
};

class SearchSession {
 public:
  explicit SearchSession(PassClock clock) : clock_(std::move(clock)) {}

  bool IsResting(const Text& engine) const { return resting_.count(engine) > 0; }
  // The engine answered with its verification page: it rests from now on.
  void Rest(const Text& engine) {
    resting_.insert(engine);
    ++engines_[engine].verifications;
  }
  void CountFailure(const Text& engine) { ++engines_[engine].failures; }
  void CountSaved(const Text& site) { ++saved_[site]; }
  EngineHealth HealthOf(const Text& engine) const;
  int SavedOn(const Text& site) const;

  // Waits until `engine` was last asked at least `intervalSeconds` ago, then
  // counts it as asked now (a search). False when the pass was stopped
  // during the wait.
  bool AwaitTurn(const Text& engine, int intervalSeconds);

  // Articles by their address (see ArticleAddress).
  bool WasSaved(const Text& article) const { return savedArticles_.count(article) > 0; }
  void NoteSaved(const Text& article) { savedArticles_.insert(article); }

 private:
  PassClock clock_;
  std::set<Text> resting_;
  std::map<Text, std::int64_t> lastAsked_;
  std::map<Text, EngineHealth> engines_;
  std::map<Text, int> saved_;
  std::set<Text> savedArticles_;
};

// The health lines of a pass's search: one per engine asked in turn,
// "搜索引擎 必应：搜索12次，验证页1次，失败0次", then one per site,
// "网站 www.sohu.com：保存文章5篇".
Text SearchHealthLines(const SearchSession& session, const sources::SearchRules& rules);

}  // namespace collector
