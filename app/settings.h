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

using sources::IsHostValue;

// The profile the program runs with: named by `chosen` (the command line)
// when not empty, else by the settings, with the settings' keys and hosts
// applied. Every line it cannot use is described in `problems`.
sources::Profile LoadProfile(const Text& content, const Text& chosen, core::TextArray& problems);

// The first log line of a pass under any profile but classic: whether the
// settings file at `path` was read. `textTwinFound`: "settings.ini.txt" lies
// beside it, which is what Notepad saves when Explorer hides extensions.
Text SettingsReadLine(const Text& path, bool read, bool textTwinFound);

}  // namespace app
