#include "core/encoding.h"

#include <utility>

#include "core/gb18030.h"
#include "core/utf8.h"

namespace core {
namespace {

// The converted bytes as program text: up to the first zero byte.
Text UpToZero(std::string&& bytes) {
  if (const char* zero = FindByte(bytes.data(), bytes.size(), '\0')) bytes.resize(size_t(zero - bytes.data()));
  return std::move(bytes);
}

}  // namespace

Wide Gb18030ToWide(std::string_view text) {
  Wide out;
  Gb18030ToUtf16(text, out);
  return out;
}

Text WideToGb18030(const Wide& wide) {
  std::string out;
  Utf16ToGb18030(wide, out);
  return UpToZero(std::move(out));
}

Text GbkToUtf8(std::string_view text) { return TextFromBytes(Utf16ToUtf8(Gb18030ToWide(text))); }

Text Utf8ToGbk(std::string_view utf8) {
  std::string out;
  Utf8ToGb18030(utf8, out);
  return UpToZero(std::move(out));
}

Text GbkOnly(std::string_view text) {
  Text out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t n = CharLengthAt(text, i);
    if (n == 4) {
      out.push_back('?');
    } else {
      out.append(text.data() + i, n);
    }
    i += n;
  }
  return out;
}

}  // namespace core
