// Reading the source profile from settings.ini (only ever read):
//
//   [sources]    profile=classic|current, date=<address>
//   [hosts]      date, hotlist, hotsearch, search, newssite, visitor, bing,
//                sogou, so360, baidu: a host or host:port replacing the one
//                of that source's address ("search" is the first engine,
//                "newssite" the first site)
//   [hot]        lists=hotlist,hotsearch,toutiao,...: the hot lists read
//   [hotlist] [hotsearch] [toutiao] [thepaper] [zhihu] [netease] [tencent]
//                label=, and one key per field of an address: "pattern"
//                for address 1, "pattern2" for address 2, ...
//   [visitor] [search] [article]
//                one key per field of the chosen profile; [search] also
//                engines=bing,sogou,so360  sites=host,host  interval=seconds
//                relevance=percent
//   [bing] [sogou] [so360] [baidu]
//                one key per field of that engine
//   [site.HOST]  article=<pattern over an article's path on that site>
//                hosts=<other hosts of the site, separated by commas>
//                imagekey=<the key its picture addresses are encrypted under>
//   [network]    proxy=host:port, certificates=check|ignore
//
// Every line that cannot be used gives one problem text (a log line naming
// the line) and the field keeps the profile's value.
#pragma once

#include <map>
#include <vector>

#include "core/text.h"
#include "sources/profile.h"

namespace sources {

// The largest settings file read; a bigger one is not a settings file.
inline constexpr size_t kMaxSettingsBytes = 64 * 1024;

struct SettingsEntry {
  size_t line = 0;
  Text section;
  Text key;
  Text value;
};

struct Settings {
  std::map<Text, Text> hosts;  // the [hosts] keys given, by key
  Text profile;                // [sources] profile=, "" when not given
  size_t profileLine = 0;
  Text proxy;                  // [network] proxy=, "" when not given or bad
  Text certificates;           // [network] certificates=check|ignore, "" when not given or bad
  std::vector<SettingsEntry> entries;  // the profile sections' keys, in file order
};

// True for "host" or "host:port": letters, digits, "-" and "." (or an IPv4
// address), and a port of 1 to 65535.
bool IsHostValue(const Text& value);

// The proxy value as the clients take it, "host:port"; "" when the value is
// not a host with a port. "http://host:port/" as browsers show it is taken
// too, since users copy it from there.
Text ProxyValue(const Text& value);

// "settings.ini 第N行" + what + "，使用默认值".
Text LineProblem(size_t lineNumber, const Text& what);

// Reads the file's lines: sections, keys and host values. Keys of sections
// that are not ours are not judged.
Settings ParseSettings(const Text& content, core::TextArray& problems);

// The profile named on the command line (when `chosen` is not empty) or in
// the settings (current when neither), with every entry applied and then the
// hosts. An unknown name in the settings is a problem and gives current.
Profile BuildProfile(const Settings& settings, const Text& chosen, core::TextArray& problems);

}  // namespace sources
