// Keeping an article's images through the HTML cleaning: each image tag is
// swapped for a plain-letter marker before the cleaning and turned back into
// a minimal tag after it; with local pictures the tags then point at the
// copies in the picture folder.
#pragma once

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

// Empties `sources`, then replaces every "<img...>" tag of the body (the name
// in lower case) by its marker, ignoring case, and records the tag's
// src="..." address ("" when it has none) in `sources`; a data: placeholder
// gives way to the tag's data-src="..." when it has one.
Text ProtectImages(const Text& body, ImageSources& sources);

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
// local copy: "<img src="/pic/" + file name + "">".
Text LocaliseImageRefs(const Text& body);

}  // namespace collector
