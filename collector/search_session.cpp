#include "collector/search_session.h"

namespace collector {

bool SearchSession::AwaitTurn(const Text& engine, int intervalSeconds) {
  const auto last = lastAsked_.find(engine);
  if (last != lastAsked_.end() && intervalSeconds > 0) {
    const std::int64_t due = last->second + std::int64_t(intervalSeconds) * 1000;
    const std::int64_t now = clock_.now();
    // A clock that went backwards waits no longer than one interval.
    if (now < due && !clock_.wait(std::min<std::int64_t>(due - now, intervalSeconds * 1000LL))) {
      return false;
    }
  }
  lastAsked_[engine] = clock_.now();
  return true;
}

}  // namespace collector
