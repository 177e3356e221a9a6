// The host names of the pages the program fetches, from an optional
// read-only settings.ini beside the executable:
//
//   [hosts]
//   date=www.baidu.com
//   hotlist=top.baidu.com
//   hotsearch=s.weibo.com
//   search=www.baidu.com
//   newssite=www.sohu.com
//
// Each value is a host or host:port. Schemes, paths and queries are fixed by
// the program; only the hosts are settings.
#pragma once

#include "core/text.h"

namespace app {

using core::Text;

inline constexpr char kSettingsFileName[] = "\\settings.ini";

struct HostSettings {
  Text date = "www.baidu.com";
  Text hotlist = "top.baidu.com";
  Text hotsearch = "s.weibo.com";
  Text search = "www.baidu.com";
  Text newssite = "www.sohu.com";
};

// True for "host" or "host:port": letters, digits, "-" and "." (or an IPv4
// address), and a port of 1 to 65535.
bool IsHostValue(const Text& value);

// Reads the settings text. Every line it cannot use is described in
// `problems` (one log line each) and the default stays for that key.
HostSettings ParseSettings(const Text& content, core::TextArray& problems);

// The addresses built from the hosts.
Text NetworkDateUrl(const HostSettings& hosts);
Text HotListUrl(const HostSettings& hosts);
Text HotSearchUrl(const HostSettings& hosts);

}  // namespace app
