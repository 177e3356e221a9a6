#include "core/encoding.h"

namespace core {

Wide GbkToWide(std::string_view gbk) {
  Wide out;
  BytesToWide(gbk, kCodePageGbk, out);
  return out;
}

Text WideToGbk(const Wide& wide) {
  std::string out;
  WideToBytes(wide, kCodePageGbk, out);
  return TextFromBytes(out);
}

Text GbkToUtf8(std::string_view gbk) {
  std::string out;
  WideToBytes(GbkToWide(gbk), kCodePageUtf8, out);
  return TextFromBytes(out);
}

Text Utf8ToGbk(std::string_view utf8) {
  Wide wide;
  BytesToWide(utf8, kCodePageUtf8, wide);
  return WideToGbk(wide);
}

}  // namespace core
