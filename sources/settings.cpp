#include "sources/settings.h"

#include "core/encoding.h"
#include "core/text.h"
#include "core/utf8.h"
#include "regex/regex.h"

namespace sources {
namespace {

// The hosts of a profile's sources, by their [hosts] key.
// "search" names the profile's first engine (Bing in current, the old
// engine in classic); each engine also has its own key.
const char* const kHostKeys[] = {"date", "hotlist", "hotsearch", "search", "newssite", "visitor",
                                 "bing", "sogou",   "so360",     "baidu"};
// A hot list's name is the host key of its first address, the name and a
// number that of a later one ("hotsearch2").
const char* const kHotListHostKeys[] = {"hotlist", "hotsearch", "toutiao", "thepaper",
                                        "zhihu",   "netease",   "tencent"};
const char* const kProfileSections[] = {"sources", "hot",      "hotlist", "hotsearch", "toutiao",
                                        "thepaper", "zhihu",   "netease", "tencent",   "visitor",
                                        "search",  "article",  "bing",    "sogou",     "so360",
                                        "baidu"};
// [site.HOST] sections: one per news site.
constexpr char kSiteSectionPrefix[] = "site.";
// Layouts and title alternatives a file may name.
constexpr int kMaxIndex = 9;

// The parts of the keys and values the file writes.
constexpr std::string_view kLayoutKey = "layout";  // layoutN.field
constexpr std::string_view kTitleField = "title";  // titleN
constexpr std::string_view kTitleSlot = "{title}";
constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// A header value writes its line breaks as these two escapes.
constexpr std::string_view kWrittenCrLf = "\\r\\n";
constexpr std::string_view kWrittenLf = "\\n";
// The limits of a host value.
constexpr size_t kMaxPortDigits = 5;
constexpr int kMaxPort = 65535;
constexpr size_t kMaxHostLength = 253;
// The numbers a key takes have up to four digits (an interval in seconds).
constexpr size_t kMaxNumberDigits = 4;

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.';
}

template <size_t N>
bool IsOneOf(const Text& value, const char* const (&names)[N]) {
  for (const char* name : names) {
    if (value == name) return true;
  }
  return false;
}

// The [hosts] key of a hot list's address N (from 1).
Text HotHostKey(const Text& list, size_t n) { return n == 1 ? list : list + char('0' + n); }

bool IsHostKey(const Text& key) {
  if (IsOneOf(key, kHostKeys)) return true;
  for (const char* list : kHotListHostKeys) {
    for (size_t n = 1; n <= kMaxIndex; ++n) {
      if (key == HotHostKey(list, n)) return true;
    }
  }
  return false;
}

// Applies one entry to the profile; false when the key or its value cannot
// be used (`what` then says why).
class EntryApplier {
 public:
  EntryApplier(Profile& profile, Text& what) : p_(profile), what_(what) {}

  bool Apply(const SettingsEntry& e) {
    const Text& k = e.key;
    const Text& v = e.value;
    if (e.section == "sources") {
      if (k == "date") return Address(v, p_.dateAddress);
      return UnknownKey(k);
    }
    if (e.section == "visitor") {
      VisitorService& s = p_.visitor;
      if (k == "address") return Address(v, s.address);
      if (k == "body") return Assign(v, s.body);
      if (k == "headers") return Headers(v, s.headers);
      if (k == "wall") return Assign(v, s.wallMarker);
      return UnknownKey(k);
    }
    if (e.section == "hot") {
      if (k == "lists") return HotLists(v);
      return UnknownKey(k);
    }
    if (e.section == "search") return Search(k, v);
    if (core::StartsWith(e.section, kSiteSectionPrefix)) return Site(e.section.substr(5), k, v);
    if (Engine* engine = FindEngine(p_.search, e.section)) return EngineKey(*engine, k, v);
    if (e.section == "article") return Article(k, v);
    if (HotList* list = FindHotList(p_, e.section)) return HotListKey(*list, k, v);
    return UnknownKey(k);
  }

 private:
  // A comma-separated list of the profile's hot list names, each once.
  bool HotLists(const Text& v) {
    TextArray names;
    for (const Text& part : core::Split(v, ",")) {
      const Text name = core::Trim(part);
      if (!FindHotList(p_, name)) {
        what_ = "的热点榜 " + name + " 未知";
        return false;
      }
      for (const Text& earlier : names) {
        if (earlier == name) return BadValue(v);
      }
      names.push_back(name);
    }
    p_.hotOrder = names;
    return true;
  }

  // A key of a hot list's section: its label, or a field of one of its
  // addresses. "pattern" is address 1's, "pattern2" address 2's; "address"
  // one past the last adds an address that starts as a copy of the one
  // before it, so only what differs needs writing.
  bool HotListKey(HotList& list, const Text& k, const Text& v) {
    if (k == "label") return NotEmpty(v, list.label);
    Text field = k;
    int n = 1;
    if (k.size() > 1 && k.back() >= '1' && k.back() <= '0' + kMaxIndex) {
      n = k.back() - '0';
      field = k.substr(0, k.size() - 1);
    }
    const int count = int(list.addresses.size());
    if (n > count + 1 || (n == count + 1 && field != "address")) return UnknownKey(k);
    if (n == count + 1) {
      HotPage added = count > 0 ? list.addresses.back() : HotPage();
      if (!Address(v, added.address)) return false;
      list.addresses.push_back(added);
      return true;
    }
    return Hot(list.addresses[size_t(n - 1)], field, v);
  }

  bool Hot(HotPage& page, const Text& k, const Text& v) {
    if (k == "address") return Address(v, page.address);
    if (k == "from") return Assign(v, page.within.left);
    if (k == "to") return Assign(v, page.within.right);
    if (k == "skip") return Number(v, 0, 99, page.skip);
    if (k == "headers") return Headers(v, page.headers);
    if (k == "charset") return Charset(v, page.charset);
    if (k == "pattern") return PatternText(v, false, page.keyword);
    if (k == "ignorecase") return Switch(v, page.keyword.ignoreCase);
    if (k == "multiline") return Switch(v, page.keyword.multiline);
    if (k == "submatch") return Number(v, 0, 99, page.keyword.submatch);
    if (k == "unescape") return UnescapeMode(v, page.unescape);
    if (k == "exclude") return PatternText(v, true, page.exclude);
    if (k == "visitor") return Switch(v, page.visitor);
    return UnknownKey(k);
  }

  // The old keys act on the first engine (the only one of classic) and the
  // first site; the lists, the pacing and the relevance on the search.
  bool Search(const Text& k, const Text& v) {
    SearchRules& s = p_.search;
    if (k == "site") {
      if (!IsHostValue(v)) return BadValue(v);
      s.sites.front().host = v;
      return true;
    }
    if (k == "sites") return Sites(v);
    if (k == "engines") return Engines(v);
    if (k == "interval") return Number(v, 0, 3600, s.intervalSeconds);
    if (k == "relevance") return Number(v, 0, 100, s.relevancePercent);
    if (k == "block" || k == "link" || k == "title" || k == "snippet" || k == "label" ||
        core::StartsWith(k, "verify")) {
      return UnknownKey(k);  // an engine's own section holds these
    }
    return EngineKey(s.engines.front(), k, v);
  }

  bool EngineKey(Engine& e, const Text& k, const Text& v) {
    if (k == "address") return Address(v, e.address);
    if (k == "label") return NotEmpty(v, e.label);
    if (k == "headers") return Headers(v, e.headers);
    if (k == "charset") return Charset(v, e.charset);
    if (k == "result") return PatternText(v, true, e.resultPattern);
    if (k == "unescape") return UnescapeMode(v, e.linkUnescape);
    if (k == "encoding") {
      if (v != "utf8" && v != "gbk") return BadValue(v);
      e.encoding = v == "utf8" ? KeywordEncoding::kUtf8 : KeywordEncoding::kGbk;
      return true;
    }
    if (k == "unwrap") {
      if (v != "none" && v != "base64") return BadValue(v);
      e.unwrap = v == "none" ? LinkUnwrap::kNone : LinkUnwrap::kBase64Target;
      return true;
    }
    if (k == "block") return Selector(v, e.block);
    if (k == "link") return Selector(v, e.link.selector);
    if (k == "linkattribute") return Assign(v, e.link.attribute);
    if (k == "title") return Selector(v, e.title.selector);
    if (k == "snippet") return Selector(v, e.snippet.selector);
    if (k == "verifystatus") return Statuses(v, e.verification.statuses);
    if (k == "verifyredirect") return Assign(v, e.verification.redirect);
    if (k == "verifymarkers") {
      e.verification.markers = v.empty() ? TextArray() : core::Split(v, "|");
      return true;
    }
    if (k == "resultsmarker") return Assign(v, e.verification.resultsMarker);
    return UnknownKey(k);
  }

  // A comma-separated list of the profile's engine names, each once.
  bool Engines(const Text& v) {
    TextArray names;
    for (const Text& part : core::Split(v, ",")) {
      const Text name = core::Trim(part);
      if (!FindEngine(p_.search, name)) {
        what_ = "的搜索引擎 " + name + " 未知";
        return false;
      }
      for (const Text& earlier : names) {
        if (earlier == name) return BadValue(v);
      }
      names.push_back(name);
    }
    p_.search.order = names;
    return true;
  }

  // A comma-separated list of hosts; a site the profile knows keeps its
  // article path.
  bool Sites(const Text& v) {
    std::vector<NewsSite> sites;
    for (const Text& part : core::Split(v, ",")) {
      const Text host = core::Trim(part);
      if (!IsHostValue(host)) return BadValue(v);
      NewsSite site{host, ""};
      for (const NewsSite& known : p_.search.sites) {
        if (known.host == host) site = known;
      }
      sites.push_back(site);
    }
    p_.search.sites = sites;
    return true;
  }

  // [site.HOST]: the data of one site of the list.
  bool Site(const Text& host, const Text& k, const Text& v) {
    NewsSite* site = nullptr;
    for (NewsSite& known : p_.search.sites) {
      if (known.host == host) site = &known;
    }
    if (!site) {
      what_ = "的站点 " + host + " 不在 [search] sites 中";
      return false;
    }
    if (k == "article") {
      Pattern path{site->articlePath};
      if (!PatternText(v, true, path)) return false;
      site->articlePath = path.text;
      return true;
    }
    if (k == "imagekey") {
      // An AES-128 key is 16 bytes; empty says the site's pictures are plain.
      if (!v.empty() && v.size() != 16) {
        what_ = "的图片密钥 " + v + " 无效（应为16个字符）";
        return false;
      }
      site->imageKey = v;
      return true;
    }
    if (k == "hosts") return HostList(v, site->otherHosts);
    return UnknownKey(k);
  }

  // Hosts separated by commas; empty for none.
  bool HostList(const Text& v, TextArray& slot) {
    TextArray hosts;
    for (const Text& part : core::Split(v, ",")) {
      const Text host = core::Trim(part);
      if (!IsHostValue(host)) return BadValue(v);
      hosts.push_back(host);
    }
    if (v.empty()) hosts.clear();
    slot = hosts;
    return true;
  }

  // Steps of letters, digits, "-", "_", ".", "[", "]", blanks and commas.
  bool Selector(const Text& v, Text& slot) {
    for (char c : v) {
      if (!IsHostChar(c) && c != '_' && c != '[' && c != ']' && c != ' ' && c != ',') {
        return BadValue(v);
      }
    }
    slot = v;
    return true;
  }

  bool Statuses(const Text& v, std::vector<int>& slot) {
    std::vector<int> statuses;
    for (const Text& part : core::Split(v, ",")) {
      int status = 0;
      if (!Number(core::Trim(part), 100, 599, status)) return BadValue(v);
      statuses.push_back(status);
    }
    if (v.empty()) statuses.clear();
    slot = statuses;
    return true;
  }

  bool Article(const Text& k, const Text& v) {
    ArticleRules& a = p_.article;
    if (k == "headers") return Headers(v, a.headers);
    if (k == "fallback") return Switch(v, a.fallback);
    if (k == "percentdecode") return Switch(v, a.percentDecode);
    if (k == "remove") {
      a.removed = core::Split(v, "|");
      return true;
    }
    if (k == "removepattern") {
      Pattern removal{a.removePattern};
      if (!PatternText(v, true, removal)) return false;
      a.removePattern = removal.text;
      return true;
    }
    if (k == "blanks") {
      if (v != "remove" && v != "collapse") return BadValue(v);
      p_.cleaning.blanks = v == "remove" ? BlankRule::kRemove : BlankRule::kCollapse;
      return true;
    }
    if (k == "entities") {
      if (v != "remove" && v != "decode") return BadValue(v);
      p_.cleaning.decodeEntities = v == "decode";
      return true;
    }
    // layoutN.field, N from 1; one past the last adds a layout.
    const size_t dot = k.find('.');
    if (!core::StartsWith(k, kLayoutKey) || dot == Text::npos) return UnknownKey(k);
    const int n = Index(k.substr(kLayoutKey.size(), dot - kLayoutKey.size()));
    if (n < 1 || n > int(a.layouts.size()) + 1) return UnknownKey(k);
    Layout scratch = n <= int(a.layouts.size()) ? a.layouts[size_t(n - 1)] : Layout();
    const Text field = k.substr(dot + 1);
    bool ok = false;
    if (field == "detect") {
      ok = NotEmpty(v, scratch.detect);
    } else if (field == "end") {
      ok = NotEmpty(v, scratch.bodyEnd);
    } else if (field == "titletags") {
      ok = Switch(v, scratch.titleStripTags);
    } else if (field == "titleremove") {
      Pattern removal{scratch.titleRemove};
      ok = PatternText(v, true, removal);
      if (ok) scratch.titleRemove = removal.text;
    } else if (core::StartsWith(field, kTitleField)) {
      const Text number = field.substr(kTitleField.size());
      const int t = number.empty() ? 1 : Index(number);
      if (t < 1 || t > int(scratch.titles.size()) + 1) return UnknownKey(k);
      const size_t slot = v.find(kTitleSlot);
      if (slot == Text::npos || slot == 0) return BadValue(v);
      const Cut cut{v.substr(0, slot), v.substr(slot + kTitleSlot.size())};
      if (t > int(scratch.titles.size())) {
        scratch.titles.push_back(cut);
      } else {
        scratch.titles[size_t(t - 1)] = cut;
      }
      ok = true;
    } else {
      return UnknownKey(k);
    }
    if (!ok) return false;
    if (n > int(a.layouts.size())) {
      a.layouts.push_back(scratch);
    } else {
      a.layouts[size_t(n - 1)] = scratch;
    }
    return true;
  }

  static int Index(const Text& digits) {
    if (digits.size() != 1 || digits[0] < '1' || digits[0] > '0' + kMaxIndex) return 0;
    return digits[0] - '0';
  }

  bool Assign(const Text& v, Text& slot) {
    slot = v;
    return true;
  }
  bool NotEmpty(const Text& v, Text& slot) {
    if (v.empty()) return BadValue(v);
    slot = v;
    return true;
  }
  bool Address(const Text& v, Text& slot) {
    const bool ok = (core::StartsWith(v, kHttp) && v.size() > kHttp.size()) ||
                    (core::StartsWith(v, kHttps) && v.size() > kHttps.size());
    if (!ok || v.find(' ') != Text::npos) {
      what_ = "的地址 " + v + " 无效";
      return false;
    }
    slot = v;
    return true;
  }
  // Header lines are written on one line, separated by "\n" or "\r\n" as
  // written escapes; either becomes the CR LF between request lines.
  bool Headers(const Text& v, Text& slot) {
    Text lines = core::ReplaceAll(core::ReplaceAll(v, kWrittenCrLf, kWrittenLf), kWrittenLf, "\r\n");
    // A break written after the last line ends no line of its own.
    while (core::EndsWith(lines, "\r\n")) lines.resize(lines.size() - 2);
    for (const Text& line : core::Split(lines, "\r\n")) {
      if (line.find(':') == Text::npos || line.find('\n') != Text::npos) return BadValue(v);
    }
    slot = lines;
    return true;
  }
  bool Charset(const Text& v, Text& slot) {
    for (char c : v) {
      if (!IsHostChar(c) && c != '_') return BadValue(v);
    }
    slot = v;
    return true;
  }
  bool Switch(const Text& v, bool& slot) {
    if (v != "on" && v != "off") return BadValue(v);
    slot = v == "on";
    return true;
  }
  bool Number(const Text& v, int low, int high, int& slot) {
    if (v.empty() || v.size() > kMaxNumberDigits) return BadValue(v);
    for (char c : v) {
      if (c < '0' || c > '9') return BadValue(v);
    }
    const int n = core::TextToInt(v);
    if (n < low || n > high) return BadValue(v);
    slot = n;
    return true;
  }
  bool UnescapeMode(const Text& v, Unescape& slot) {
    if (v == "none") {
      slot = Unescape::kNone;
    } else if (v == "html") {
      slot = Unescape::kHtml;
    } else if (v == "json") {
      slot = Unescape::kJson;
    } else {
      return BadValue(v);
    }
    return true;
  }
  // An empty pattern turns an optional one off; a needed one must have text.
  bool PatternText(const Text& v, bool optional, Pattern& slot) {
    if (v.empty()) {
      if (!optional) {
        what_ = "的正则表达式为空";
        return false;
      }
      slot.text.clear();
      return true;
    }
    regex::Regex compiled;
    if (!compiled.Compile(v, slot.ignoreCase, slot.multiline)) {
      what_ = "的正则表达式 " + v + " 无法编译";
      return false;
    }
    if (!optional && slot.submatch > compiled.Groups()) {
      what_ = "的正则表达式 " + v + " 没有第" + core::IntToText(slot.submatch) + "个分组";
      return false;
    }
    slot.text = v;
    return true;
  }
  bool BadValue(const Text& v) {
    what_ = "的值 " + v + " 无效";
    return false;
  }
  bool UnknownKey(const Text& k) {
    what_ = "的键 " + k + " 未知";
    return false;
  }

  Profile& p_;
  Text& what_;
};

// The file as the program's GBK text. Notepad saves UTF-8 today (with or
// without a mark at the start, which is no part of the first line); older
// files are GBK. GBK Chinese text is almost never well-formed UTF-8.
Text SettingsText(const Text& content) {
  const bool marked = core::StartsWith(content, kUtf8Mark);
  const Text text = marked ? content.substr(kUtf8Mark.size()) : content;
  return marked || core::IsValidUtf8(text) ? core::Utf8ToGbk(text) : text;
}

}  // namespace

Text LineProblem(size_t lineNumber, const Text& what) {
  return "settings.ini 第" + core::IntToText(static_cast<long long>(lineNumber)) + "行" + what +
         "，使用默认值";
}

Text ProxyValue(const Text& value) {
  Text v = value;
  if (core::StartsWith(v, "http://")) v = v.substr(7);
  if (!v.empty() && v.back() == '/') v.pop_back();
  const size_t colon = v.find(':');
  if (colon == Text::npos || !IsHostValue(v)) return Text();
  return v;
}

bool IsHostValue(const Text& value) {
  Text host = value;
  const size_t colon = value.find(':');
  if (colon != Text::npos) {
    host = value.substr(0, colon);
    const Text port = value.substr(colon + 1);
    if (port.empty() || port.size() > kMaxPortDigits) return false;
    for (char c : port) {
      if (c < '0' || c > '9') return false;
    }
    const int number = core::TextToInt(port);
    if (number < 1 || number > kMaxPort) return false;
  }
  if (host.empty() || host.size() > kMaxHostLength) return false;
  if (host.front() == '.' || host.front() == '-' || host.back() == '-') return false;
  if (host.find("..") != Text::npos) return false;
  for (char c : host) {
    if (!IsHostChar(c)) return false;
  }
  return true;
}

Settings ParseSettings(const Text& content, core::TextArray& problems) {
  Settings settings;
  if (content.size() > kMaxSettingsBytes) {
    problems.push_back("settings.ini 超过" + core::IntToText(kMaxSettingsBytes / 1024) +
                       "KB，不是设置文件，全部使用默认值");
    return settings;
  }
  const Text text = SettingsText(content);
  const core::TextArray lines = core::Split(core::ReplaceAll(text, "\r\n", "\n"), "\n");
  Text section;
  for (size_t i = 0; i < lines.size(); ++i) {
    const Text line = core::Trim(lines[i]);
    const size_t number = i + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      section.clear();
      if (line.back() != ']') {
        problems.push_back(LineProblem(number, "无法识别"));
        continue;
      }
      section = core::Trim(line.substr(1, line.size() - 2));
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == Text::npos) {
      problems.push_back(LineProblem(number, "无法识别"));
      continue;
    }
    const Text key = core::Trim(line.substr(0, equals));
    const Text value = core::Trim(line.substr(equals + 1));
    if (section == "hosts") {
      if (!IsHostKey(key)) {
        problems.push_back(LineProblem(number, "的键 " + key + " 未知"));
      } else if (!IsHostValue(value)) {
        problems.push_back(LineProblem(number, "的主机名 " + value + " 无效"));
        settings.hosts.erase(key);  // a bad value falls back to the default
      } else {
        settings.hosts[key] = value;
      }
    } else if (section == "sources" && key == "profile") {
      settings.profile = value;
      settings.profileLine = number;
      if (!BuiltInProfile(value)) {
        problems.push_back(
            LineProblem(number, "的配置名 " + value + " 未知（可用 " + ProfileNames() + "）"));
      }
    } else if (section == "network" && key == "certificates") {
      settings.certificates.clear();
      if (value == "check" || value == "ignore") {
        settings.certificates = value;
      } else {
        problems.push_back(LineProblem(number, "的取值 " + value + " 无效（应为 check 或 ignore）"));
      }
    } else if (section == "network") {
      if (key != "proxy") {
        problems.push_back(LineProblem(number, "的键 " + key + " 未知"));
      } else if (value.empty()) {
        settings.proxy.clear();  // written but empty: direct
      } else if ((settings.proxy = ProxyValue(value)).empty()) {
        problems.push_back(LineProblem(number, "的代理 " + value + " 无效（应为 主机:端口）"));
      }
    } else if (IsOneOf(section, kProfileSections) || core::StartsWith(section, kSiteSectionPrefix)) {
      settings.entries.push_back({number, section, key, value});
    }
    // other sections are not ours to judge
  }
  return settings;
}

Profile BuildProfile(const Settings& settings, const Text& chosen, core::TextArray& problems) {
  const Profile* base = BuiltInProfile(chosen.empty() ? settings.profile : chosen);
  Profile profile = base ? *base : Current();
  Text what;
  EntryApplier applier(profile, what);
  // A site's own section applies once the list of sites is known, wherever
  // it stands in the file.
  for (const bool sites : {false, true}) {
    for (const SettingsEntry& entry : settings.entries) {
      if (core::StartsWith(entry.section, kSiteSectionPrefix) != sites) continue;
      if (!applier.Apply(entry)) problems.push_back(LineProblem(entry.line, what));
    }
  }

  const auto host = [&](const char* key) -> const Text* {
    const auto found = settings.hosts.find(key);
    return found == settings.hosts.end() ? nullptr : &found->second;
  };
  if (const Text* h = host("date")) profile.dateAddress = ReplaceHost(profile.dateAddress, *h);
  for (HotList& list : profile.hotLists) {
    for (size_t i = 0; i < list.addresses.size() && i < size_t(kMaxIndex); ++i) {
      HotPage& page = list.addresses[i];
      if (const Text* h = host(HotHostKey(list.name, i + 1).c_str())) page.address = ReplaceHost(page.address, *h);
    }
  }
  if (const Text* h = host("visitor")) profile.visitor.address = ReplaceHost(profile.visitor.address, *h);
  SearchRules& search = profile.search;
  if (const Text* h = host("search")) {
    search.engines.front().address = ReplaceHost(search.engines.front().address, *h);
  }
  for (Engine& engine : search.engines) {
    if (const Text* h = host(engine.name.c_str())) engine.address = ReplaceHost(engine.address, *h);
  }
  if (const Text* h = host("newssite")) search.sites.front().host = *h;
  profile.proxy = settings.proxy;
  if (!settings.certificates.empty()) profile.checkCertificates = settings.certificates == "check";
  return profile;
}

}  // namespace sources
