// The settings the program reads from an optional, read-only settings.ini
// beside the executable: the source profile (see sources/settings.h) and the
// host names of the pages the program fetches:
//
//   [hosts]
//   date=www.baidu.com
//   hotlist=top.baidu.com
//   hotsearch=s.weibo.com
//   search=www.baidu.com
//   newssite=www.sohu.com
//   visitor=passport.weibo.com
//
// Each host value is a host or host:port; it replaces the host of that
// source's address in the chosen profile, whose schemes, paths and queries
// stay.
#pragma once

#include "core/text.h"
#include "sources/profile.h"
#include "sources/settings.h"

namespace app {

using core::Text;

inline constexpr char kSettingsFileName[] = "\\settings.ini";

// The classic profile's hosts, as the [hosts] keys leave them.
struct HostSettings {
  Text date = "www.baidu.com";
  Text hotlist = "top.baidu.com";
  Text hotsearch = "s.weibo.com";
  Text search = "www.baidu.com";
  Text newssite = "www.sohu.com";
};

using sources::IsHostValue;

// Reads the settings text's hosts. Every line it cannot use is described in
// `problems` (one log line each) and the default stays for that key.
HostSettings ParseSettings(const Text& content, core::TextArray& problems);

// The profile the program runs with: named by `chosen` (the command line)
// when not empty, else by the settings, with the settings' keys and hosts
// applied. Every line it cannot use is described in `problems`.
sources::Profile LoadProfile(const Text& content, const Text& chosen, core::TextArray& problems);

// The classic addresses built from the hosts.
Text NetworkDateUrl(const HostSettings& hosts);
Text HotListUrl(const HostSettings& hosts);
Text HotSearchUrl(const HostSettings& hosts);

}  // namespace app
