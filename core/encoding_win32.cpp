// Code-page conversion with the Windows API; the code page is always explicit.
#include <windows.h>

#include "core/encoding.h"
#include "core/gb18030.h"
#include "core/utf8.h"

namespace core {

bool IsCodePageSupported(unsigned codePage) {
  if (IsGbFamily(codePage)) return true;
  if (codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be) return true;
  return IsValidCodePage(codePage) != 0;
}

bool BytesToWide(std::string_view bytes, unsigned codePage, Wide& out) {
  out.clear();
  if (IsGbFamily(codePage)) {
    Gb18030ToUtf16(bytes, out);
    return true;
  }
  if (codePage == kCodePageUtf8) {
    out = Utf8ToUtf16(bytes);
    return true;
  }
  if (codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be) {
    out.resize(bytes.size() / 2);
    const int hi = codePage == kCodePageUtf16Le ? 1 : 0;
    for (size_t i = 0; i < out.size(); ++i) {
      out[i] = char16_t(static_cast<unsigned char>(bytes[2 * i + 1 - hi]) |
                        (static_cast<unsigned char>(bytes[2 * i + hi]) << 8));
    }
    return true;
  }
  if (!IsValidCodePage(codePage)) return false;
  if (bytes.empty()) return true;
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(size_t(n));
  MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()),
                      reinterpret_cast<wchar_t*>(&out[0]), n);
  return true;
}

bool WideToBytes(const Wide& wide, unsigned codePage, std::string& out) {
  out.clear();
  if (IsGbFamily(codePage)) {
    Utf16ToGb18030(wide, out, codePage == kCodePageGbk);
    return true;
  }
  if (codePage == kCodePageUtf8) {
    out = Utf16ToUtf8(wide);
    return true;
  }
  if (codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be) {
    out.resize(wide.size() * 2);
    const int hi = codePage == kCodePageUtf16Le ? 1 : 0;
    for (size_t i = 0; i < wide.size(); ++i) {
      out[2 * i + hi] = char(wide[i] >> 8);
      out[2 * i + 1 - hi] = char(wide[i] & 0xFF);
    }
    return true;
  }
  if (!IsValidCodePage(codePage)) return false;
  if (wide.empty()) return true;
  const wchar_t* src = reinterpret_cast<const wchar_t*>(wide.data());
  const int n = WideCharToMultiByte(codePage, 0, src, int(wide.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  out.resize(size_t(n));
  WideCharToMultiByte(codePage, 0, src, int(wide.size()), &out[0], n, nullptr, nullptr);
  return true;
}

}  // namespace core
