#include "html/picture_source.h"

#include <string>

#include "core/text.h"

namespace html {
namespace {

bool IsDataUri(std::string_view src) {
  return src.size() >= 5 && core::AsciiLower(src[0]) == 'd' && core::AsciiLower(src[1]) == 'a' &&
         core::AsciiLower(src[2]) == 't' && core::AsciiLower(src[3]) == 'a' && src[4] == ':';
}

}  // namespace

bool IsPlaceholderSource(std::string_view src) {
  if (src.empty() || IsDataUri(src)) return true;
  std::string lower(src);
  for (char& c : lower) c = core::AsciiLower(c);
  for (const std::string_view word : kPlaceholderNames) {
    if (lower.find(word) != std::string::npos) return true;
  }
  return false;
}

std::string_view PictureSource(const std::function<std::string_view(std::string_view name)>& attribute) {
  const std::string_view src = attribute("src");
  if (!IsPlaceholderSource(src)) return src;
  for (const std::string_view name : kLazySourceAttributes) {
    const std::string_view lazy = attribute(name);
    if (!lazy.empty() && !IsDataUri(lazy)) return lazy;
  }
  return IsDataUri(src) ? std::string_view() : src;
}

}  // namespace html
