// Downloading the images an article keeps into the pass's picture folder.
#pragma once

#include <functional>

#include "core/safe_points.h"
#include "core/text.h"

namespace collector {

using core::Bytes;
using core::Text;

// `outputFolder` + "/pic".
Text PictureFolder(const Text& outputFolder);

// The address to fetch for an image's src, read against the address of the
// page that holds it: "//host/path" takes the page's scheme, "/path" its
// scheme and host. Any other src is used as it stands.
Text ImageAddress(const Text& src, const Text& pageAddress);

// Creates the picture folder (also when the body has no image), then for
// every "<img src="...">" of the body, in order and duplicates included,
// fetches the address (read against `pageAddress`) and writes the bytes under
// the image's file name in the picture folder. A failed fetch writes an empty
// file, as the tag still names it, but never over a file of that name that
// already exists; an empty address is skipped. Checks the safe points before
// each fetch and each write; false when the pass was stopped (nothing is
// fetched or written after that).
bool DownloadImages(const Text& body, const Text& outputFolder, const Text& pageAddress,
                    const std::function<Bytes(const Text& url)>& fetchImage,
                    core::SafePoints& safePoints);

}  // namespace collector
