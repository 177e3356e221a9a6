#include "core/url_codec.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = FuzzParts(data, size, 1)[0];
  const core::Text raw = core::UrlDecode(text, false);
  if (raw.size() > text.size()) __builtin_trap();  // decoding never grows the text
  core::UrlDecode(text, true);
  // Encoding then decoding gives the bytes back.
  if (core::UrlDecode(core::UrlEncode(text, true, false), false) != text) __builtin_trap();
  return 0;
}
