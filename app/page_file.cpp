#include "app/page_file.h"

#include <algorithm>
#include <string>

#include "collector/content_cleaning.h"
#include "core/encoding.h"
#include "http/charset.h"

namespace app {
namespace {

constexpr size_t kDeclarationWindow = 4096;
constexpr size_t kUtf8ValidPerInvalid = 50;

bool IsAsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// True when the tag around position `at` is one that declares the page's
// encoding (a meta tag, an XML declaration, the archive wrapper); a script's
// charset attribute speaks only for the script.
bool InDeclaringTag(std::string_view window, size_t at) {
  const size_t open = window.rfind('<', at);
  if (open == std::string_view::npos || window.find('>', open) < at) return false;
  std::string tag;
  for (size_t i = open + 1; i < window.size() && tag.size() < 5 && window[i] != ' '; ++i) {
    tag.push_back(core::AsciiLower(window[i]));
  }
  return tag == "meta" || tag == "?xml" || tag == "text";
}

// The first "charset=" or "encoding=" value a declaring tag in the window holds.
std::string DeclaredEncoding(std::string_view bytes) {
  const std::string_view window = bytes.substr(0, kDeclarationWindow);
  for (size_t i = 0; i < window.size(); ++i) {
    size_t after = 0;
    for (const std::string_view key : {std::string_view("charset"), std::string_view("encoding")}) {
      if (window.size() - i <= key.size()) continue;
      size_t k = 0;
      while (k < key.size() && core::AsciiLower(window[i + k]) == key[k]) ++k;
      if (k == key.size()) after = i + k;
    }
    if (after == 0 || !InDeclaringTag(window, i)) continue;
    while (after < window.size() && (window[after] == ' ' || window[after] == '=')) ++after;
    if (after < window.size() && (window[after] == '"' || window[after] == '\'')) ++after;
    std::string name;
    while (after < window.size() && (IsAsciiAlnum(window[after]) || window[after] == '-' || window[after] == '_')) {
      name.push_back(window[after++]);
    }
    if (!name.empty()) return name;
  }
  return std::string();
}

// True when the bytes read as UTF-8: saved pages may hold a few broken
// sequences (a cut-off character), while GBK text breaks UTF-8 at nearly
// every Chinese character.
bool LooksLikeUtf8(std::string_view s) {
  size_t valid = 0;
  size_t invalid = 0;
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t more = 0;
    unsigned min = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      more = 1, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      more = 2, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      more = 3, min = 0x10000;
    } else {
      ++invalid, ++i;
      continue;
    }
    bool ok = s.size() - i > more;
    unsigned value = c & (0x3F >> more);
    for (size_t k = 1; ok && k <= more; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      ok = (d & 0xC0) == 0x80;
      value = (value << 6) | (d & 0x3F);
    }
    if (ok && (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))) ok = false;
    if (ok) {
      ++valid;
      i += more + 1;
    } else {
      ++invalid;
      ++i;
    }
  }
  return valid > 0 && invalid * kUtf8ValidPerInvalid <= valid;
}

core::Text Decoded(std::string_view bytes, unsigned codePage) {
  core::Wide wide;
  if (codePage == core::kCodePageGbk || !core::BytesToWide(bytes, codePage, wide)) {
    return std::string(bytes);
  }
  // A zero character would end the converted text there, losing the rest of
  // the page; it is dropped here, as a zero byte of a GBK page is.
  wide.erase(std::remove(wide.begin(), wide.end(), u'\0'), wide.end());
  return core::WideToGbk(wide);
}

core::Text WithoutZeros(core::Text text) {
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  return text;
}

}  // namespace

core::Text PageFileText(std::string_view bytes) {
  const auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (starts("\xEF\xBB\xBF")) return WithoutZeros(Decoded(bytes.substr(3), core::kCodePageUtf8));
  if (starts("\xFF\xFE")) return WithoutZeros(Decoded(bytes.substr(2), core::kCodePageUtf16Le));
  if (starts("\xFE\xFF")) return WithoutZeros(Decoded(bytes.substr(2), core::kCodePageUtf16Be));
  // Bytes that read as UTF-8 are UTF-8 whatever an older declaration says:
  // pages saved from a browser keep their meta tag but are stored in UTF-8.
  const bool utf8 = LooksLikeUtf8(bytes);
  const unsigned declared = http::CodePageOfCharset(DeclaredEncoding(bytes));
  if (declared != 0 && !utf8 && core::IsCodePageSupported(declared)) {
    return WithoutZeros(Decoded(bytes, declared));
  }
  return WithoutZeros(Decoded(bytes, utf8 ? core::kCodePageUtf8 : core::kCodePageGbk));
}

core::Text ArticleFileText(const core::Text& body) {
  collector::ImageSources images;
  return collector::CleanBody(body, /*keepImages=*/false, images, sources::Current().cleaning);
}

}  // namespace app
