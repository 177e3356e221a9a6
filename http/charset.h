// Decoding a page by the charset its meta tag declares.
#pragma once

#include "core/text.h"

namespace http {

using core::Bytes;
using core::Text;

// The page as GBK text: `bodyText` (the body up to its first zero byte)
// unchanged when the first 1024 bytes declare no charset, declare exactly
// "gbk" or "gb2312", or name a charset without a code page here; otherwise
// the whole `body` converted from the declared charset.
Text DecodePageText(const Bytes& body, const Text& bodyText);

// A fetched page (`fetchedText`, already decoded by DecodePageText) again
// from its `body` bytes in `fallbackCharset` when the page declares no
// charset: JSON answers and some pages leave it to the response header.
// Unchanged when the fallback is empty.
Text DecodePageText(const Bytes& body, const Text& fetchedText, const Text& fallbackCharset);

// The charset the first 1024 bytes of `bodyText` declare, as written (see
// core::DeclaredCharset); empty when none.
Text DeclaredCharset(const Text& bodyText);

// The Windows code page of a charset name (any letter case, common aliases);
// 0 when the name is unknown. GBK, GB2312 and GB18030 all map to 936: such a
// page is read as GB18030, the program's own text, as browsers read it.
unsigned CodePageOfCharset(const Text& name);

}  // namespace http
