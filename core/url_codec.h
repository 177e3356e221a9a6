// Percent-encoding of search keywords and percent-decoding of article pages.
#pragma once

#include <string_view>

#include "core/text.h"

namespace core {

// Percent-encodes every byte; with `keepUnreserved` the bytes "-", ".", digits
// and ASCII letters stay as they are; with `viaUtf8` the text is first turned
// into UTF-8. Hex digits are upper case.
Text UrlEncode(std::string_view text, bool keepUnreserved, bool viaUtf8);

// Decodes "%HH" (either letter case) into the byte HH; "%00" appends nothing.
// A "%" not followed by two hex digits stays as it is, so text such as
// "50%，" survives. With `toGbk` the decoded bytes are UTF-8 turned into GBK.
Text UrlDecode(std::string_view text, bool toGbk);

}  // namespace core
