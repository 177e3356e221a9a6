#include "app/settings.h"

namespace app {

HostSettings ParseSettings(const Text& content, core::TextArray& problems) {
  const sources::Settings settings = sources::ParseSettings(content, problems);
  HostSettings hosts;
  const auto take = [&](const char* key, Text& slot) {
    const auto found = settings.hosts.find(key);
    if (found != settings.hosts.end()) slot = found->second;
  };
  take("date", hosts.date);
  take("hotlist", hosts.hotlist);
  take("hotsearch", hosts.hotsearch);
  take("search", hosts.search);
  take("newssite", hosts.newssite);
  return hosts;
}

sources::Profile LoadProfile(const Text& content, const Text& chosen, core::TextArray& problems) {
  return sources::BuildProfile(sources::ParseSettings(content, problems), chosen, problems);
}

Text NetworkDateUrl(const HostSettings& hosts) {
  return sources::ReplaceHost(sources::Classic().dateAddress, hosts.date);
}

Text HotListUrl(const HostSettings& hosts) {
  return sources::ReplaceHost(sources::Classic().hotPages[0].address, hosts.hotlist);
}

Text HotSearchUrl(const HostSettings& hosts) {
  return sources::ReplaceHost(sources::Classic().hotPages[1].address, hosts.hotsearch);
}

}  // namespace app
