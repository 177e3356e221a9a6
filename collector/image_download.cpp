#include "collector/image_download.h"

#include "collector/image_markers.h"
#include "core/cut.h"
#include "core/file_system.h"
#include "core/url_codec.h"

namespace collector {

Text PictureFolder(const Text& outputFolder) { return outputFolder + "/pic"; }

Text ImageAddress(const Text& src, const Text& pageAddress) {
  if (src.empty() || src[0] != '/') return src;
  // Today's news pages name their pictures "//host/path", which no fetch
  // takes as it stands.
  const size_t schemeEnd = pageAddress.find("://");
  if (schemeEnd == Text::npos) return src;
  if (src.size() > 1 && src[1] == '/') return pageAddress.substr(0, schemeEnd + 1) + src;
  const size_t hostEnd = pageAddress.find_first_of("/?#", schemeEnd + 3);
  return pageAddress.substr(0, hostEnd) + src;
}

Text ExtensionOfType(const Text& contentType) {
  Text type;
  for (const char c : contentType.substr(0, contentType.find(';'))) {
    if (c != ' ' && c != '\t') type.push_back(core::AsciiLower(c));
  }
  static const struct {
    const char* type;
    const char* extension;
  } kTypes[] = {{"image/jpeg", ".jpg"}, {"image/jpg", ".jpg"},   {"image/pjpeg", ".jpg"},
                {"image/png", ".png"},  {"image/gif", ".gif"},   {"image/webp", ".webp"},
                {"image/avif", ".avif"}, {"image/bmp", ".bmp"},  {"image/svg+xml", ".svg"},
                {"image/x-icon", ".ico"}, {"image/vnd.microsoft.icon", ".ico"}};
  for (const auto& known : kTypes) {
    if (type == known.type) return known.extension;
  }
  return Text();
}

namespace {

// The percent-decoded value of the query parameter `name`, "" when absent.
Text QueryValue(const Text& address, std::string_view name) {
  const size_t query = address.find('?');
  if (query == Text::npos) return Text();
  const Text rest = address.substr(query + 1, address.find('#', query) - query - 1);
  for (const Text& pair : core::Split(rest, "&")) {
    const size_t equals = pair.find('=');
    if (equals != Text::npos && pair.compare(0, equals, name) == 0) return core::UrlDecode(pair.substr(equals + 1), false);
  }
  return Text();
}

bool IsWrappedAddress(const Text& inner) {
  Text start;
  for (const char c : inner.substr(0, 8)) start.push_back(core::AsciiLower(c));
  return core::StartsWith(start, "http://") || core::StartsWith(start, "https://") ||
         core::StartsWith(inner, "//");
}

// True when the name ends in a dot and one to five letters or digits.
bool HasExtension(const Text& name) {
  const size_t dot = name.rfind('.');
  if (dot == Text::npos || dot == 0 || name.size() - dot - 1 < 1 || name.size() - dot - 1 > 5) return false;
  for (size_t i = dot + 1; i < name.size(); ++i) {
    const char c = core::AsciiLower(name[i]);
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

}  // namespace

Text ServedPictureName(const Text& address, const Text& contentType) {
  Text source = address;
  const Text inner = QueryValue(address, "url");
  if (IsWrappedAddress(inner)) source = inner.substr(0, inner.find_first_of("?#"));
  Text name = ImageFileName(source);
  const Text last = core::TextAfterLast(source, "/");
  if (!last.empty() && last.find_first_not_of("0123456789") == Text::npos) {
    const Text before = source.substr(0, source.size() - last.size() - 1);
    const Text previous = ImageFileName(before);
    // Not the host: "//h/641" keeps its own name.
    if (!previous.empty() && before.find('/', before.find("//") == Text::npos ? 0 : before.find("//") + 2) != Text::npos) {
      name = previous + "_" + name;
    }
  }
  if (!name.empty() && !HasExtension(name)) name += ExtensionOfType(contentType);
  return name;
}

bool DownloadImages(const Text& body, const Text& outputFolder, const Text& pageAddress,
                    const std::function<Fetched(const Text& url)>& fetchImage,
                    core::SafePoints& safePoints, PictureNames* names) {
  core::TextArray addresses;
  core::FindAllBetween(body, "<img src=\"", "\">", addresses, true);
  const Text folder = PictureFolder(outputFolder);
  core::CreateDirectoryLevel(folder);
  for (const Text& address : addresses) {
    // A tag whose src was missing was restored with an empty address: there
    // is nothing to fetch and no name to write under.
    if (address.empty()) continue;
    if (!safePoints.Checkpoint()) return false;
    Fetched answer = fetchImage(ImageAddress(address, pageAddress));
    if (!safePoints.Checkpoint()) return false;
    Text name;
    if (names) {
      // An error page is no picture; its type is no picture's either.
      if (answer.IsErrorStatus()) answer = Fetched();
      name = ServedPictureName(address, answer.contentType);
      (*names)[address] = name;
    } else {
      name = ImageFileName(address);
    }
    const Text path = folder + "/" + name;
    const Bytes& bytes = answer.body;
    // A failed fetch leaves an empty file only where none exists: a picture
    // saved earlier under this name (by this article, an earlier one or an
    // earlier pass) is never lost to a time-out.
    if (bytes.empty() && core::FileExists(path)) continue;
    // A failed write is not reported: the tag keeps naming the file.
    core::WriteWholeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                                bytes.size()));
  }
  return true;
}

}  // namespace collector
