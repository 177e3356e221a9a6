#include "core/declared_charset.h"

#include "core/text.h"

namespace core {
namespace {

constexpr std::string_view kKeys[] = {"charset", "encoding"};
constexpr std::string_view kDeclaringTags[] = {"meta", "?xml", "text"};
constexpr size_t kLongestTagName = 4;

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

// True when the tag around position `at` declares the page's encoding.
bool InDeclaringTag(std::string_view window, size_t at) {
  const size_t open = window.rfind('<', at);
  if (open == std::string_view::npos || window.find('>', open) < at) return false;
  std::string tag;
  for (size_t i = open + 1; i < window.size() && tag.size() <= kLongestTagName; ++i) {
    if (IsAsciiBlank(window[i]) || window[i] == '>' || window[i] == '/') break;
    tag.push_back(AsciiLower(window[i]));
  }
  for (const std::string_view name : kDeclaringTags) {
    if (tag == name) return true;
  }
  return false;
}

// The length of the key at `at` ("" none), any letter case.
size_t KeyAt(std::string_view window, size_t at) {
  for (const std::string_view key : kKeys) {
    if (window.size() - at <= key.size()) continue;
    size_t k = 0;
    while (k < key.size() && AsciiLower(window[at + k]) == key[k]) ++k;
    if (k == key.size()) return k;
  }
  return 0;
}

}  // namespace

std::string DeclaredCharset(std::string_view page, size_t window) {
  const std::string_view head = page.substr(0, window);
  for (size_t i = 0; i < head.size(); ++i) {
    const size_t keyLength = KeyAt(head, i);
    if (keyLength == 0) continue;
    size_t at = i + keyLength;
    while (at < head.size() && IsAsciiBlank(head[at])) ++at;
    if (at == head.size() || head[at] != '=' || !InDeclaringTag(head, i)) continue;
    ++at;
    while (at < head.size() && IsAsciiBlank(head[at])) ++at;
    if (at < head.size() && (head[at] == '"' || head[at] == '\'')) ++at;
    std::string name;
    while (at < head.size() && IsNameChar(head[at])) name.push_back(head[at++]);
    if (!name.empty()) return name;
  }
  return std::string();
}

}  // namespace core
