// Keeping an article's images through the HTML cleaning: each image tag is
// swapped for a plain-letter marker before the cleaning and turned back into
// a minimal tag after it; with local pictures the tags then point at the
// copies in the picture folder.
#pragma once

#include <map>

#include "core/text.h"

namespace collector {

using core::Text;

// The image addresses ProtectImages recorded, in document order, duplicates
// included. The caller owns it (one per collection pass, used by the worker
// thread only) and hands it to ProtectImages and RestoreImages.
using ImageSources = core::TextArray;

// The marker of the n-th image (n from 1): "jbclsa" ... "jbclsj" for the
// first ten; beyond them "jbclsk", n written with the letters a-j for the
// digits 0-9, and "k" (so jbclskbbk for the eleventh). Letters only, and no
// marker is the beginning of another.
Text ImageMarker(int n);

// How a tag's picture address is read.
struct PictureRules {
  // Today's pages: src unless it is a placeholder, else the first of the
  // lazy-loading attributes (see html/picture_source.h). Otherwise src, or
  // data-src in place of a data: placeholder.
  bool lazySources = false;
  // The site's key for addresses it writes encrypted ("" when it has none).
  Text imageKey;
};

// Empties `sources`, then replaces every "<img...>" tag of the body (the name
// in lower case) by its marker, ignoring case, and records the tag's address
// in `sources` ("" when it has none). The address is read from the tag's
// attributes by name as `rules` say. A value of the shape of a ciphertext,
// on a site with a key, is decrypted; when it does not decrypt to an address
// the tag is removed from the body, nothing is recorded for it, and
// `leftOut` (when given) counts it: such a picture is never requested.
Text ProtectImages(const Text& body, ImageSources& sources, const PictureRules& rules = {},
                   int* leftOut = nullptr);

// Turns every marker of a recorded image back into "<img src="address">",
// ignoring case, then empties `sources`.
Text RestoreImages(const Text& body, ImageSources& sources);

// The name an image is stored under: the part of its address after the last
// "/", made a legal Windows file name. Characters Windows forbids in names
// (\ / : * ? " < > | and control bytes) become "_", trailing dots and blanks
// are cut, and a reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
// with or without extension) gets a "_" in front. A legal name stays as it
// is; a name that ends up empty stays empty (nothing can be written then).
Text ImageFileName(const Text& address);

// Points every "<img src...>" tag of the body (found ignoring case) at the
// local copy: "<img src="/pic/" + file name + "">", the name the download
// chose for that address in `names` when given and known there, else
// ImageFileName's.
Text LocaliseImageRefs(const Text& body, const std::map<Text, Text>* names = nullptr);

}  // namespace collector
