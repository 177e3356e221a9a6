#include "core/encoding.h"

#include <utility>

#include "core/gbk_table.h"

namespace core {
namespace {

// The converted bytes as program text: up to the first zero byte.
Text UpToZero(std::string&& bytes) {
  if (const char* zero = FindByte(bytes.data(), bytes.size(), '\0')) bytes.resize(size_t(zero - bytes.data()));
  return std::move(bytes);
}

}  // namespace

Wide GbkToWide(std::string_view gbk) {
  Wide out;
  if (!GbkTable::Get().Decode(gbk, out)) BytesToWide(gbk, kCodePageGbk, out);
  return out;
}

Text WideToGbk(const Wide& wide) {
  std::string out;
  GbkTable::Get().Encode(wide, out);
  return UpToZero(std::move(out));
}

Text GbkToUtf8(std::string_view gbk) {
  std::string out;
  WideToBytes(GbkToWide(gbk), kCodePageUtf8, out);
  return TextFromBytes(out);
}

Text Utf8ToGbk(std::string_view utf8) {
  std::string out;
  GbkTable::Get().FromUtf8(utf8, out);
  return UpToZero(std::move(out));
}

}  // namespace core
