// Conversions between code pages, always through UTF-16.
//
// The GB family (GBK, GB2312 and GB18030) is converted with the program's own
// GB18030 tables on every platform; the other code pages go through
// MultiByteToWideChar / WideCharToMultiByte with the code page given
// explicitly (never the system's ANSI code page) on Windows, and iconv
// natively. Invalid input becomes U+FFFD going to UTF-16; a character the
// target code page lacks becomes "?".
#pragma once

#include <string>
#include <string_view>

#include "core/text.h"

namespace core {

// GBK pages and files: read as GB18030 (as browsers read every GBK and GB2312
// page), written as GBK, so a character GBK lacks is written as "?".
inline constexpr unsigned kCodePageGbk = 936;
// GB18030 both ways: the program's own text.
inline constexpr unsigned kCodePageGb18030 = 54936;
inline constexpr unsigned kCodePageUtf8 = 65001;
inline constexpr unsigned kCodePageUtf16Le = 1200;
inline constexpr unsigned kCodePageUtf16Be = 1201;

inline bool IsGbFamily(unsigned codePage) { return codePage == kCodePageGbk || codePage == kCodePageGb18030; }

// UTF-16 code units; on Windows the same layout as wchar_t.
using Wide = std::u16string;

// Decodes bytes in `codePage`. False (and `out` empty) when the code page is
// not supported here.
bool BytesToWide(std::string_view bytes, unsigned codePage, Wide& out);
// Encodes into `codePage`. False when the code page is not supported here.
bool WideToBytes(const Wide& wide, unsigned codePage, std::string& out);
// True when this platform can convert from and to `codePage`.
bool IsCodePageSupported(unsigned codePage);

// The usual conversions of the program's text (GB18030); none loses a
// character, except that text ends at a zero character.
Wide Gb18030ToWide(std::string_view text);
Text WideToGb18030(const Wide& wide);
// UTF-8 bytes of the program's text (held in a Text, as the program passes them).
Text GbkToUtf8(std::string_view text);
// The program's text of UTF-8 bytes.
Text Utf8ToGbk(std::string_view utf8);
// The text as GBK bytes, for files that stay GBK: every character GBK lacks
// (those of four bytes) becomes "?", the rest keep their bytes.
Text GbkOnly(std::string_view text);

}  // namespace core
