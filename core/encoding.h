// Conversions between code pages, always through UTF-16.
//
// On Windows these are MultiByteToWideChar / WideCharToMultiByte with the code
// page given explicitly (never the system's ANSI code page); natively they are
// iconv. Invalid input becomes U+FFFD going to UTF-16; a character the target
// code page lacks becomes "?".
#pragma once

#include <string>
#include <string_view>

#include "core/text.h"

namespace core {

inline constexpr unsigned kCodePageGbk = 936;
inline constexpr unsigned kCodePageUtf8 = 65001;
inline constexpr unsigned kCodePageUtf16Le = 1200;
inline constexpr unsigned kCodePageUtf16Be = 1201;

// UTF-16 code units; on Windows the same layout as wchar_t.
using Wide = std::u16string;

// Decodes bytes in `codePage`. False (and `out` empty) when the code page is
// not supported here.
bool BytesToWide(std::string_view bytes, unsigned codePage, Wide& out);
// Encodes into `codePage`. False when the code page is not supported here.
bool WideToBytes(const Wide& wide, unsigned codePage, std::string& out);
// True when this platform can convert from and to `codePage`.
bool IsCodePageSupported(unsigned codePage);

// The usual conversions of the program's GBK text.
Wide GbkToWide(std::string_view gbk);
Text WideToGbk(const Wide& wide);
// UTF-8 bytes of a GBK text (held in a Text, as the program passes them).
Text GbkToUtf8(std::string_view gbk);
// GBK text of UTF-8 bytes.
Text Utf8ToGbk(std::string_view utf8);

}  // namespace core
