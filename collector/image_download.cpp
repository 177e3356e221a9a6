#include "collector/image_download.h"

#include "collector/image_markers.h"
#include "core/cut.h"
#include "core/file_system.h"

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

bool DownloadImages(const Text& body, const Text& outputFolder, const Text& pageAddress,
                    const std::function<Bytes(const Text& url)>& fetchImage,
                    core::SafePoints& safePoints) {
  core::TextArray addresses;
  core::FindAllBetween(body, "<img src=\"", "\">", addresses, true);
  const Text folder = PictureFolder(outputFolder);
  core::CreateDirectoryLevel(folder);
  for (const Text& address : addresses) {
    // A tag whose src was single-quoted or missing was restored with an
    // empty address: there is nothing to fetch and no name to write under.
    if (address.empty()) continue;
    const Text path = folder + "/" + ImageFileName(address);
    if (!safePoints.Checkpoint()) return false;
    const Bytes bytes = fetchImage(ImageAddress(address, pageAddress));
    if (!safePoints.Checkpoint()) return false;
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
