// What a pass remembers about the search engines between keywords: which
// engines asked for verification (they rest for the rest of the pass) and
// when each was last asked (so that searches are spaced out).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "core/text.h"

namespace collector {

using core::Text;

// The clock the pacing reads and the wait it uses: `now` in milliseconds
// from any fixed start; `wait` holds for that many milliseconds and returns
// false when the pass was stopped meanwhile (it holds longer while paused).
struct PassClock {
  std::function<std::int64_t()> now;
  std::function<bool(std::int64_t milliseconds)> wait;
};

class SearchSession {
 public:
  explicit SearchSession(PassClock clock) : clock_(std::move(clock)) {}

  bool IsResting(const Text& engine) const { return resting_.count(engine) > 0; }
  void Rest(const Text& engine) { resting_.insert(engine); }

  // Waits until `engine` was last asked at least `intervalSeconds` ago, then
  // counts it as asked now. False when the pass was stopped during the wait.
  bool AwaitTurn(const Text& engine, int intervalSeconds);

 private:
  PassClock clock_;
  std::set<Text> resting_;
  std::map<Text, std::int64_t> lastAsked_;
};

}  // namespace collector
