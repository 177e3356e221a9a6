#include "app/settings.h"

namespace app {
namespace {

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.';
}

Text LineProblem(size_t lineNumber, const Text& what) {
  return "settings.ini 第" + core::IntToText(static_cast<long long>(lineNumber)) + "行" + what +
         "，使用默认值";
}

}  // namespace

bool IsHostValue(const Text& value) {
  Text host = value;
  const size_t colon = value.find(':');
  if (colon != Text::npos) {
    host = value.substr(0, colon);
    const Text port = value.substr(colon + 1);
    if (port.empty() || port.size() > 5) return false;
    for (char c : port) {
      if (c < '0' || c > '9') return false;
    }
    const int number = core::TextToInt(port);
    if (number < 1 || number > 65535) return false;
  }
  if (host.empty() || host.size() > 253) return false;
  if (host.front() == '.' || host.front() == '-' || host.back() == '-') return false;
  if (host.find("..") != Text::npos) return false;
  for (char c : host) {
    if (!IsHostChar(c)) return false;
  }
  return true;
}

HostSettings ParseSettings(const Text& content, core::TextArray& problems) {
  HostSettings hosts;
  Text text = content;
  // Notepad saves a UTF-8 mark at the start; it is no part of the first line.
  if (core::StartsWith(text, "\xEF\xBB\xBF")) text.erase(0, 3);
  const core::TextArray lines = core::Split(core::ReplaceAll(text, "\r\n", "\n"), "\n");
  bool inHosts = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const Text line = core::Trim(lines[i]);
    const size_t number = i + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') {
        problems.push_back(LineProblem(number, "无法识别"));
        inHosts = false;
        continue;
      }
      inHosts = core::Trim(line.substr(1, line.size() - 2)) == "hosts";
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == Text::npos) {
      problems.push_back(LineProblem(number, "无法识别"));
      continue;
    }
    if (!inHosts) continue;  // other sections are not ours to judge
    const Text key = core::Trim(line.substr(0, equals));
    const Text value = core::Trim(line.substr(equals + 1));
    Text HostSettings::*slot = nullptr;
    if (key == "date") slot = &HostSettings::date;
    if (key == "hotlist") slot = &HostSettings::hotlist;
    if (key == "hotsearch") slot = &HostSettings::hotsearch;
    if (key == "search") slot = &HostSettings::search;
    if (key == "newssite") slot = &HostSettings::newssite;
    if (!slot) {
      problems.push_back(LineProblem(number, "的键 " + key + " 未知"));
      continue;
    }
    if (!IsHostValue(value)) {
      problems.push_back(LineProblem(number, "的主机名 " + value + " 无效"));
      hosts.*slot = HostSettings().*slot;
      continue;
    }
    hosts.*slot = value;
  }
  return hosts;
}

Text NetworkDateUrl(const HostSettings& hosts) { return "http://" + hosts.date + "/"; }

Text HotListUrl(const HostSettings& hosts) {
  return "http://" + hosts.hotlist + "/buzz?b=1&fr=20811";
}

Text HotSearchUrl(const HostSettings& hosts) {
  return "https://" + hosts.hotsearch + "/top/summary?Refer=top_hot&topnav=1&wvr=6";
}

}  // namespace app
