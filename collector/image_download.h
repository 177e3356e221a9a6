// Downloading the images an article keeps into the pass's picture folder.
#pragma once

#include <functional>
#include <map>

#include "collector/fetched.h"
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

// The file extension (".jpg", ".png", ...) of a picture's Content-Type
// value, parameters and letter case ignored; "" for a type not known here.
Text ExtensionOfType(const Text& contentType);

// The name a picture is stored under when pictures are read as today's
// sites serve them: an image service's wrapper ("...?url=<encoded address>&...")
// is named after the address inside it; a last segment of digits only (a
// size, as in ".../news_bt/<id>/641") is joined to the segment before it so
// that two pictures of one article do not share a name; a name without an
// extension gets the one of `contentType`. Made a legal Windows name as
// ImageFileName does.
Text ServedPictureName(const Text& address, const Text& contentType);

// The file names DownloadImages chose, by the address in the tag.
using PictureNames = std::map<Text, Text>;

// Creates the picture folder (also when the body has no image), then for
// every "<img src="...">" of the body, in order and duplicates included,
// fetches the address (read against `pageAddress`) and writes the bytes under
// the image's file name in the picture folder. Without `names` the file name
// is ImageFileName's and every answer's body is written; with `names` it is
// ServedPictureName's, an answer of status 400 or more counts as failed,
// and each address's name is recorded there. A failed fetch writes an empty
// file, as the tag still names it, but never over a file of that name that
// already exists; an empty address is skipped. Checks the safe points before
// each fetch and each write; false when the pass was stopped (nothing is
// fetched or written after that).
bool DownloadImages(const Text& body, const Text& outputFolder, const Text& pageAddress,
                    const std::function<Fetched(const Text& url)>& fetchImage,
                    core::SafePoints& safePoints, PictureNames* names = nullptr);

}  // namespace collector
