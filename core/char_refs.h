// HTML character references ("&amp;", "&#20013;", "&#x6587;"), read as
// browsers read them. The tokenizer, the article cleaning and the keyword
// unescaping all decode through this, so a page gives the same characters
// whichever path it takes.
#pragma once

#include <cstddef>
#include <string_view>

namespace core {

// Where a reference stands. In an attribute value a name without its ";"
// that runs on into letters, digits or "=" is text: it is far more likely a
// query parameter ("?a=1&copy=2") than a character.
enum class RefContext { kText, kAttribute };

// A reference read at an "&".
struct CharRef {
  size_t length = 0;      // bytes from the "&" on; 0: no reference, the "&" is text
  char32_t codePoint = 0;  // as our text keeps it (see TextCodePoint); 0: nothing
};

// The reference whose "&" is at `text[at]`: "&#" and decimal digits or
// "&#x" and hex digits, the ";" optional; or a known name followed by ";".
// The Latin-1 names and amp, lt, gt and quot are also read without their
// ";" (the longest such name that starts the run), as browsers do.
CharRef ReadCharRef(std::string_view text, size_t at, RefContext context);

// The character a named reference stands for ("emsp" gives U+2003); 0 for a
// name not known here.
char32_t NamedRefCodePoint(std::string_view name);

// The character of a numeric reference: 0, surrogates and values past
// U+10FFFF are U+FFFD, and 0x80-0x9F are read as Windows-1252 (0x80 is the
// euro sign), as every browser does.
char32_t NumericRefCodePoint(unsigned long value);

// The character as our text keeps it. The no-break and typographic spaces
// become a plain space, since every blank rule of the text layer (the
// cleaning's collapsing, the trimming of titles) knows the ASCII blanks; the
// invisible joiners, the soft hyphen and the byte-order mark carry no text
// and give 0.
char32_t TextCodePoint(char32_t codePoint);

}  // namespace core
