// Request header blocks and cookie texts shared by the three page-fetch clients.
#pragma once

#include <string_view>

#include "core/text.h"

namespace http {

using core::Text;
using core::TextArray;

// The first byte upper-cased when it is an ASCII letter; nothing else changes.
Text CapitaliseFirst(std::string_view text);

// Every header name gets a capital at the start of each hyphen-separated
// word; lines without a colon are dropped; lines are joined by CRLF with no
// CRLF at the end. Values are not touched.
Text NormaliseHeaderNames(std::string_view block);

// The name of a cookie item ("a = 1" gives "a"), trimmed of blanks.
Text CookieName(std::string_view item);

// True when some item's name equals `name` byte for byte.
bool HasCookieName(const TextArray& items, std::string_view name);

// The items of `text` split at `delimiter`, each kept at its first
// occurrence, joined again by `delimiter`.
Text RemoveDuplicates(std::string_view text, std::string_view delimiter);

// Merges the cookies a request sent (`oldCookies`) with those its response
// set (`newCookies`): new ones first, old ones of other names after them,
// deleted ones ("=deleted") dropped, identical items once, joined by "; ".
// Both variables are written: `newCookies` loses its blanks, and `oldCookies`
// receives the merged text, which is also returned.
Text MergeCookies(Text& oldCookies, Text& newCookies);

}  // namespace http
