// Removing empty lines from CR LF text: the keyword list and the cleaned
// article body both go through it.
#pragma once

#include <string_view>

#include "core/text.h"

namespace core {

// One leading and one trailing "\r\n" cut, then every empty line removed
// (the lines with text keep single "\r\n" separators). A CR that begins the
// text or follows a line break goes, and so does a LF that ends the text or
// comes before a line break; so a lone LF left at the start of the text
// stays ("\r\n\r\na" gives "\na"), as the keyword history files have always
// had it.
Text RemoveBlankLines(std::string_view text);

}  // namespace core
