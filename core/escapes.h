// Undoing the escapes that outside text arrives in: JSON strings, HTML
// character references, and base64url.
#pragma once

#include <string_view>

#include "core/text.h"

namespace core {

// The text of a JSON string's body (without its quotes): \" \\ \/ \b \f \n
// \r \t and \uXXXX, a surrogate pair joined into one character; a lone
// surrogate becomes U+FFFD. A backslash before
// anything else, or a \u without four hex digits, stays as it is.
Text JsonUnescape(std::string_view text);

// Character references, read as in a page's text (see ReadCharRef and
// TextCodePoint: the named blanks become plain blanks). A name not known
// here, or one that needs its ";" and lacks it, stays as it is.
Text HtmlUnescape(std::string_view text);

// base64url (RFC 4648 section 5; "+" and "/" are taken too, padding may be
// left out). False and `out` empty on any other byte or an impossible length.
bool Base64UrlDecode(std::string_view text, Text& out);

}  // namespace core
