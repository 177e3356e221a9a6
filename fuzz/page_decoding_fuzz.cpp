// Pages are the most hostile input of all: the meta search and the
// conversion must end, and the result is text (no zero byte).
#include "fuzz/fuzz_input.h"
#include "http/charset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const core::Bytes body(data, data + size);
  const core::Text text = http::DecodePageText(body, core::TextFromBytes(body));
  if (text.find('\0') != core::Text::npos) __builtin_trap();
  return 0;
}
