// The program's GB18030 text at the edge of the W functions of the platform:
// converted by the program's own tables whatever the system's ANSI code page is.
#pragma once

#include <string>

#include "core/encoding.h"

namespace http {

inline std::wstring WideText(const core::Text& gbk) {
  const core::Wide w = core::Gb18030ToWide(gbk);
  return std::wstring(w.begin(), w.end());
}

inline core::Text GbkText(const wchar_t* wide, size_t length) {
  return core::WideToGb18030(core::Wide(wide, wide + length));
}

}  // namespace http
