// The charset a page declares at its start, read the same way for fetched
// pages and for saved page files.
#pragma once

#include <string>
#include <string_view>

namespace core {

// The name the first `window` bytes of `page` declare, as written: the value
// of the first "charset=" or "encoding=" (any letter case, blanks around the
// "=", the name quoted or not) inside a declaring tag, that is a meta tag, an
// XML declaration or the <text> wrapper of archived pages. A script's
// charset attribute speaks only for the script and is passed over. "" when
// nothing is declared.
std::string DeclaredCharset(std::string_view page, size_t window);

}  // namespace core
