#include "core/encoding.h"
#include "core/url_codec.h"
#include "core/utf8.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = FuzzParts(data, size, 1)[0];
  const core::Text raw = core::UrlDecode(text, false);
  if (raw.size() > text.size()) __builtin_trap();  // decoding never grows the text
  // Straight from UTF-8 into the program's text gives what the way through
  // UTF-16 gives.
  std::string expected;
  core::WideToBytes(core::Utf8ToUtf16(raw), core::kCodePageGb18030, expected);
  expected = core::TextFromBytes(expected);
  if (core::UrlDecode(text, true) != expected) __builtin_trap();
  // Encoding then decoding gives the bytes back.
  if (core::UrlDecode(core::UrlEncode(text, true, false), false) != text) __builtin_trap();
  return 0;
}
