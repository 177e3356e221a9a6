#include "collector/image_markers.h"

#include <set>
#include <utility>

#include "collector/picture_address.h"
#include "core/cut.h"
#include "html/picture_source.h"
#include "html/tokenizer.h"
#include "regex/regex_object.h"

namespace collector {
namespace {

constexpr std::string_view kMarkerStem = "jbcls";

// The image number of a marker at `at` (which holds the stem, in any case),
// with its length; 0 when the letters there make no marker.
int MarkerAt(std::string_view body, size_t at, size_t& length) {
  size_t i = at + kMarkerStem.size();
  if (i >= body.size()) return 0;
  const char first = core::AsciiLower(body[i]);
  if (first >= 'a' && first <= 'j') {
    length = kMarkerStem.size() + 1;
    return first - 'a' + 1;
  }
  if (first != 'k') return 0;
  long long n = 0;
  size_t digits = 0;
  for (++i; i < body.size(); ++i) {
    const char c = core::AsciiLower(body[i]);
    if (c == 'k') break;
    if (c < 'a' || c > 'j' || digits >= 9) return 0;
    n = n * 10 + (c - 'a');
    ++digits;
  }
  if (i >= body.size() || digits == 0 || n <= 10) return 0;
  length = i + 1 - at;
  return int(n);
}

bool IsReservedDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  const Text upper = core::ToUpperAscii(base);
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
  return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
         upper[3] >= '1' && upper[3] <= '9';
}

// The value of the attribute `name` among the tag's, "" when absent.
std::string_view AttributeValue(const html::Token& tag, std::string_view name) {
  for (const html::Attribute& attribute : tag.attributes) {
    if (attribute.name == name) return attribute.value;
  }
  return {};
}

// The characters that would end or break the restored tag become their
// percent escapes, as a browser sends them.
Text TagSafe(std::string_view address) {
  Text out;
  for (const char c : address) {
    if (c == '"') {
      out += "%22";
    } else if (c == '<') {
      out += "%3C";
    } else if (c == '>') {
      out += "%3E";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// The picture address of one tag ("<img" + item + ">"); false when the tag
// is to be left out (an encrypted address that does not decrypt).
bool ReadPictureAddress(const Text& tag, const PictureRules& rules, Text& address) {
  html::Tokenizer tokenizer(tag);
  html::Token token;
  tokenizer.Next(token);
  std::string_view value;
  if (rules.lazySources) {
    value = html::PictureSource([&](std::string_view name) { return AttributeValue(token, name); });
  } else {
    value = AttributeValue(token, "src");
    // A lazily loaded picture shows a data: placeholder until a script copies
    // the real address in from data-src.
    if (core::StartsWith(Text(value), "data:")) {
      const std::string_view lazy = AttributeValue(token, "data-src");
      if (!lazy.empty()) value = lazy;
    }
  }
  if (!rules.imageKey.empty() && LooksEncrypted(value)) {
    if (!DecryptPictureAddress(value, rules.imageKey, address)) return false;
    address = TagSafe(address);
    return true;
  }
  address = TagSafe(value);
  return true;
}

constexpr std::string_view kRestoredStart = "<img src=\"";
constexpr std::string_view kRestoredEnd = "\">";

// The address of a tag as RestoreImages writes it; "" for any other text
// the pattern of LocaliseImageRefs finds.
Text RestoredAddress(const Text& tag) {
  if (tag.size() < kRestoredStart.size() + kRestoredEnd.size() ||
      tag.compare(tag.size() - kRestoredEnd.size(), kRestoredEnd.size(), kRestoredEnd) != 0 ||
      tag.compare(0, kRestoredStart.size(), kRestoredStart) != 0) {
    return Text();
  }
  return tag.substr(kRestoredStart.size(), tag.size() - kRestoredStart.size() - kRestoredEnd.size());
}

}  // namespace

Text ImageMarker(int n) {
  Text marker(kMarkerStem);
  if (n >= 1 && n <= 10) {
    marker.push_back(char('a' + n - 1));
    return marker;
  }
  marker.push_back('k');
  for (char digit : core::IntToText(n)) marker.push_back(char('a' + (digit - '0')));
  marker.push_back('k');
  return marker;
}

Text ProtectImages(const Text& body, ImageSources& sources, const PictureRules& rules, int* leftOut) {
  sources.clear();
  core::TextArray items;
  core::FindAllBetween(body, "<img", ">", items);
  Text out = body;
  for (const Text& item : items) {
    const Text tag = "<img" + item + ">";
    Text address;
    if (!ReadPictureAddress(tag, rules, address)) {
      out = core::ReplaceAll(out, tag, "", true);
      if (leftOut) ++*leftOut;
      continue;
    }
    // A tag met before was replaced at its first turn; its address is still
    // recorded once per occurrence.
    const Text marker = ImageMarker(int(sources.size()) + 1);
    if (core::Find(out, tag, 1, true) > 0) out = core::ReplaceAll(out, tag, marker, true);
    sources.push_back(std::move(address));
  }
  return out;
}

Text RestoreImages(const Text& body, ImageSources& sources) {
  // One pass over the body: a restored address is never searched again, so
  // an address that happens to hold a marker's letters stays intact.
  const int count = int(sources.size());
  Text out;
  out.reserve(body.size());
  size_t copied = 0;
  int from = 1;
  for (;;) {
    const int found = core::Find(body, kMarkerStem, from, true);
    if (found < 0) break;
    const size_t at = size_t(found - 1);
    size_t length = 0;
    const int n = MarkerAt(body, at, length);
    if (n >= 1 && n <= count) {
      out.append(body, copied, at - copied);
      out += Text(kRestoredStart) + sources[n - 1] + Text(kRestoredEnd);
      copied = at + length;
      from = int(copied) + 1;
    } else {
      from = found + 1;
    }
  }
  out.append(body, copied, Text::npos);
  sources.clear();
  return out;
}

Text ImageFileName(const Text& address) {
  const Text raw = core::TextAfterLast(address, "/");
  Text name;
  name.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(raw[i]);
    if (const size_t length = core::CharLengthAt(raw, i); length > 1) {
      name.append(raw, i, length);  // the bytes after a lead are part of its character
      i += length - 1;
      continue;
    }
    const bool forbidden = c < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' ||
                           c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
    name.push_back(forbidden ? '_' : char(c));
  }
  // Windows drops trailing dots and blanks, so "a.jpg." would be written as
  // "a.jpg" while the tag names "a.jpg."; cut them here instead (whole
  // characters only: a character of several bytes is never a dot).
  size_t keep = 0;
  for (size_t i = 0; i < name.size();) {
    const size_t length = core::CharLengthAt(name, i);
    if (length > 1 || (name[i] != '.' && name[i] != ' ')) keep = i + length;
    i += length;
  }
  name.resize(keep);
  if (!name.empty() && IsReservedDeviceName(name)) name.insert(0, "_");
  return name;
}

Text LocaliseImageRefs(const Text& body, const std::map<Text, Text>* names) {
  regex::RegexObject tags;
  tags.Create("<img src.*?>", body);
  Text out = body;
  std::set<Text> done;
  for (int i = 1; i <= tags.MatchCount(); ++i) {
    const Text tag = tags.MatchText(i);
    // The same tag again: its occurrences were all replaced at its first turn.
    if (!done.insert(tag).second) continue;
    const Text address = RestoredAddress(tag);
    const auto named = names ? names->find(address) : std::map<Text, Text>::const_iterator();
    const Text name = names && named != names->end() ? named->second : ImageFileName(address);
    out = core::ReplaceAll(out, tag, "<img src=\"/pic/" + name + "\">");
  }
  return out;
}

}  // namespace collector
