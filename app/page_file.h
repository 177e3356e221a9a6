// Saved pages read from files, and the text an article file holds, for the
// extractor's command-line program.
#pragma once

#include <string_view>

#include "core/text.h"

namespace app {

// The bytes of a saved page as GBK text, decoded by its byte-order mark, else
// the charset or encoding declared in its first 4 KB (a meta tag, an XML
// declaration or the <text encoding=...> wrapper of archived pages), else as
// UTF-8 when they are valid UTF-8, else taken as GBK. Zero bytes are dropped.
core::Text PageFileText(std::string_view bytes);

// An extracted body (HTML paragraphs) cleaned as a layout's body is by the
// current profile: a run of blanks kept as one space where both neighbours
// are ASCII, character references decoded.
core::Text ArticleFileText(const core::Text& body);

}  // namespace app
