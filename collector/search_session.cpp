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
  ++engines_[engine].searches;
  return true;
}

EngineHealth SearchSession::HealthOf(const Text& engine) const {
  const auto found = engines_.find(engine);
  return found == engines_.end() ? EngineHealth() : found->second;
}

int SearchSession::SavedOn(const Text& site) const {
  const auto found = saved_.find(site);
  return found == saved_.end() ? 0 : found->second;
}

Text SearchHealthLines(const SearchSession& session, const sources::SearchRules& rules) {
  Text lines;
  for (const Text& name : rules.order) {
    const sources::Engine* engine = sources::FindEngine(rules, name);
    if (!engine) continue;
    const EngineHealth h = session.HealthOf(name);
    lines += "搜索引擎 " + engine->label + "：搜索" + core::IntToText(h.searches) + "次，验证页" +
             core::IntToText(h.verifications) + "次，失败" + core::IntToText(h.failures) + "次\r\n";
  }
  for (const sources::NewsSite& site : rules.sites) {
    lines += "网站 " + site.host + "：保存文章" + core::IntToText(session.SavedOn(site.host)) + "篇\r\n";
  }
  return lines;
}

}  // namespace collector
