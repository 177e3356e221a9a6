#include "app/page_file.h"

#include <algorithm>
#include <string>

#include "collector/content_cleaning.h"
#include "core/declared_charset.h"
#include "core/encoding.h"
#include "core/utf8.h"
#include "http/charset.h"

namespace app {
namespace {

constexpr size_t kDeclarationWindow = 4096;
constexpr size_t kUtf8ValidPerInvalid = 50;

// True when the bytes read as UTF-8: saved pages may hold a few broken
// sequences (a cut-off character), while GBK text breaks UTF-8 at nearly
// every Chinese character.
bool LooksLikeUtf8(std::string_view s) {
  size_t valid = 0;
  size_t invalid = 0;
  size_t i = 0;
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    std::uint32_t cp = 0;
    size_t invalidLength = 0;
    const size_t len = core::ReadUtf8(s, i, cp, invalidLength);
    if (len == 0) {
      // Counted once for each byte it begins at, so that GBK text, which
      // breaks UTF-8 at nearly every byte pair, scores its full count.
      ++invalid;
      ++i;
    } else {
      ++valid;
      i += len;
    }
  }
  return valid > 0 && invalid * kUtf8ValidPerInvalid <= valid;
}

core::Text Decoded(std::string_view bytes, unsigned codePage) {
  core::Wide wide;
  if (core::IsGbFamily(codePage) || !core::BytesToWide(bytes, codePage, wide)) {
    return std::string(bytes);
  }
  // A zero character would end the converted text there, losing the rest of
  // the page; it is dropped here, as a zero byte of a GBK page is.
  wide.erase(std::remove(wide.begin(), wide.end(), u'\0'), wide.end());
  return core::WideToGb18030(wide);
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
  const unsigned declared = http::CodePageOfCharset(core::DeclaredCharset(bytes, kDeclarationWindow));
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
